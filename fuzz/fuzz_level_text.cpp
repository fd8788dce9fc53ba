// Fuzzes the text form of levels: any text is either rejected with a line
// number or gives a level whose file and dump round-trip exactly.
#include <cstdlib>

#include "board/level_file.h"
#include "tools/tm3/level_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LevelData level;
    std::string error;
    if (!CompileLevel(text, level, error)) {
        if (error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    const std::vector<uint8_t> bytes = EncodeLevel(level.board, level.camera);
    LevelData parsed;
    if (!ParseLevel(bytes.data(), bytes.size(), true, parsed, error)) std::abort();
    parsed.hasView = level.hasView;
    const std::string dump = DumpLevel(parsed);
    LevelData again;
    if (!CompileLevel(dump, again, error)) std::abort();
    if (EncodeLevel(again.board, again.camera) != bytes) std::abort();
    if (DumpLevel(again) != dump) std::abort();
    return 0;
}
