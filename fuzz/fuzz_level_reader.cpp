// Fuzzes the level reader: any bytes are either rejected or give a level that
// prepares for play, dumps to text and encodes back to a file that reads the same.
#include <cstdlib>
#include <cstring>

#include "board/level_file.h"
#include "tools/tm3/level_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool needView : {false, true}) {
        LevelData level;
        std::string error;
        if (!ParseLevel(data, size, needView, level, error)) {
            if (error.empty()) std::abort();
            continue;
        }
        const std::vector<uint8_t> bytes = EncodeLevel(level.board, level.camera);
        LevelData again;
        if (!ParseLevel(bytes.data(), bytes.size(), needView, again, error)) std::abort();
        if (EncodeLevel(again.board, again.camera) != bytes) std::abort();

        LevelData fromText;
        if (!CompileLevel(DumpLevel(level), fromText, error)) std::abort();
        if (level.hasView && EncodeLevel(fromText.board, fromText.camera) != bytes) std::abort();

        Board prepared(1, 1, 1);
        prepared.CopyFrom(level.board);
        prepared.PrepareForPlay();
        prepared.ResetBallPhysics();
    }
    return 0;
}
