// The data folder's search and the folders of score.dat and video.ini.
#include "app/player_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/game_state.h"
#include "board/file_io.h"

namespace {

struct PlayerFilesState {
    std::string progressFolder;  // empty: workDir
    std::string settingsFolder;
};

PlayerFilesState files;

const char* const progressName = "score.dat";
const char* const settingsName = "video.ini";
// Far above either file's size; a larger file beside the program is no file of ours.
constexpr size_t takeOverLimit = 1 << 20;

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes a folder and the missing ones above it, private to the player as the
// XDG folders should be. True when it exists afterwards.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    return IsFolder(folder);
}

// A base folder from its variable, or HOME/fallback; the XDG rules ignore a
// relative value. Empty when neither gives an absolute path.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* fallback) {
    if (!variable.empty() && variable[0] == '/') return variable;
    if (!home.empty() && home[0] == '/') return home + fallback;
    return std::string();
}

// Copies the program folder's file into the home's folder when the home has
// none: the player's progress and settings follow the game once it is installed.
void TakeOver(const std::string& programFolder, const std::string& folder, const char* name) {
    const std::string from = programFolder + "/" + name;
    const std::string to = folder + "/" + name;
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0 || errno != ENOENT) return;  // the home has one (or cannot tell)
    if (stat(from.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(from, takeOverLimit, bytes)) {
        std::fprintf(stderr, "%s cannot be read, not taken over into %s\n", from.c_str(), folder.c_str());
        return;
    }
    if (WriteFileAtomically(to, bytes.data(), bytes.size()))
        std::fprintf(stderr, "%s taken over into %s\n", from.c_str(), to.c_str());
    else
        std::fprintf(stderr, "%s cannot be written; %s stays where it is\n", to.c_str(), from.c_str());
}

}  // namespace

std::string FindDataFolder(const std::string& programFolder) {
    if (IsFolder(programFolder + "/adatok")) return programFolder;
    const std::string installed =
        std::filesystem::path(programFolder + "/../share/tumbleon").lexically_normal().string();
    if (IsFolder(installed + "/adatok")) return installed;
    return std::string();
}

bool FolderWritable(const std::string& folder) {
    return IsFolder(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void ChoosePlayerFiles(const std::string& programFolder, bool programFolderWritable, const HomeFolders& folders) {
    files.progressFolder = files.settingsFolder = programFolder;
    if (programFolderWritable) return;
    const std::string dataHome = BaseFolder(folders.dataHome, folders.home, "/.local/share");
    const std::string configHome = BaseFolder(folders.configHome, folders.home, "/.config");
    // Without a home there is nowhere better: the writes will fail and say so.
    if (!dataHome.empty()) files.progressFolder = dataHome + "/tumbleon";
    if (!configHome.empty()) files.settingsFolder = configHome + "/tumbleon";
    for (const auto& [folder, name] : {std::pair{files.progressFolder, progressName},
                                       std::pair{files.settingsFolder, settingsName}}) {
        if (folder == programFolder) continue;
        if (!MakeFolders(folder)) {
            std::fprintf(stderr, "The folder %s cannot be made: %s cannot be kept\n", folder.c_str(), name);
            continue;
        }
        TakeOver(programFolder, folder, name);
    }
}

void ForgetPlayerFiles() { files = PlayerFilesState{}; }

std::string ProgressFilePath() {
    return (files.progressFolder.empty() ? workDir : files.progressFolder) + "/" + progressName;
}

std::string SettingsFilePath() {
    return (files.settingsFolder.empty() ? workDir : files.settingsFolder) + "/" + settingsName;
}
