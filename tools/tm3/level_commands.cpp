// tm3 info, dump and compile.
#include <cerrno>
#include <cstdio>

#include "board/file_io.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/level_text.h"

namespace {

constexpr size_t maxInputBytes = 64u << 20;

}  // namespace

bool LoadForInspection(const std::string& path, LevelData& level, std::FILE* err) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, maxInputBytes, bytes)) {
        std::fprintf(err, "tm3: cannot read %s (%s)\n", path.c_str(), ReadFailureText(errno).c_str());
        return false;
    }
    std::string reason;
    if (!ParseLevel(bytes.data(), bytes.size(), false, level, reason)) {
        std::fprintf(err, "tm3: %s: %s\n", path.c_str(), reason.c_str());
        return false;
    }
    return true;
}

namespace {

// The commands that take one level file: checks the words and loads the level.
bool LoadOnlyArgument(const Tm3Args& args, const char* usage, LevelData& level, std::FILE* err) {
    if (args.size() != 1) {
        std::fprintf(err, "tm3: usage: %s\n", usage);
        return false;
    }
    return LoadForInspection(args[0], level, err);
}

}  // namespace

int Tm3Info(const Tm3Args& args, std::FILE* out, std::FILE* err) {
    LevelData level;
    if (!LoadOnlyArgument(args, "tm3 info LEVEL.tm3", level, err)) return 2;
    std::fputs(DescribeLevel(level).c_str(), out);
    return 0;
}

int Tm3Dump(const Tm3Args& args, std::FILE* out, std::FILE* err) {
    LevelData level;
    if (!LoadOnlyArgument(args, "tm3 dump LEVEL.tm3", level, err)) return 2;
    std::fputs(DumpLevel(level).c_str(), out);
    return 0;
}

int Tm3Compile(const Tm3Args& args, std::FILE*, std::FILE* err) {
    if (args.size() != 3 || args[1] != "-o") {
        std::fputs("tm3: usage: tm3 compile LEVEL.txt -o LEVEL.tm3\n", err);
        return 2;
    }
    std::vector<uint8_t> text;
    if (!ReadWholeFile(args[0], maxInputBytes, text)) {
        std::fprintf(err, "tm3: cannot read %s (%s)\n", args[0].c_str(), ReadFailureText(errno).c_str());
        return 2;
    }
    LevelData level;
    std::string reason;
    if (!CompileLevel(std::string(text.begin(), text.end()), level, reason)) {
        std::fprintf(err, "tm3: %s: %s\n", args[0].c_str(), reason.c_str());
        return 2;
    }
    const std::vector<uint8_t> bytes = EncodeLevel(level.board, level.camera);
    if (!WriteFileAtomically(args[2], bytes.data(), bytes.size())) {
        std::fprintf(err, "tm3: cannot write %s\n", args[2].c_str());
        return 2;
    }
    return 0;
}
