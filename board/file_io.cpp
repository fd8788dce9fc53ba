#include "board/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>

std::FILE* OpenRegularFile(const std::string& path, size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    int why = 0;
    if (::fstat(fd, &info) != 0) why = errno;
    else if (!S_ISREG(info.st_mode)) why = EINVAL;
    else if (static_cast<uintmax_t>(info.st_size) > maxBytes) why = EFBIG;
    // A regular file reads the same either way; blocking reads are simply the usual kind.
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) why = errno;
    std::FILE* file = why == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!file) {
        if (why == 0) why = errno;
        ::close(fd);
        errno = why;
    }
    return file;
}

std::string ReadFailureText(int errorNumber) {
    switch (errorNumber) {
    case EINVAL: return "not a regular file";
    case EFBIG: return "too long";
    case 0: return "read error";
    default: return std::strerror(errorNumber);
    }
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
    std::FILE* file = OpenRegularFile(path, maxBytes);
    if (!file) return false;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (data.size() + n > maxBytes) { ok = false; break; }
        data.insert(data.end(), chunk, chunk + n);
        if (n < sizeof chunk) { ok = !std::ferror(file); break; }
    }
    // The file may have grown since it was opened: the limit holds for what was read.
    if (!ok && !std::ferror(file)) errno = EFBIG;
    std::fclose(file);
    if (ok) bytes.swap(data);
    return ok;
}

// ---- Writing ----

// The part of every temporary name that follows the file's own name.
static const char tempMark[] = ".tmp";

static std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

static std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the rename that put a file in its place survive a power cut.
static bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that may be written but not listed cannot be opened: the file
    // is in place all the same, only its rename may wait for the next sync.
    if (fd < 0) return true;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
    ::close(fd);
    return ok;
}

bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    static std::atomic<unsigned> counter{0};
    const std::string temp = path + tempMark + "." + std::to_string(::getpid()) + "." + std::to_string(++counter);
    // The file it replaces keeps its permissions; a new one gets the usual ones.
    struct stat old {};
    const bool keepMode = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = !keepMode || ::fchmod(fd, old.st_mode & 07777) == 0;
    size_t done = 0;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    return SyncFolder(FolderOf(path));
}

// The process id in a temporary name "<mark>.<pid>.<n>", or 0 when the name
// is the bare mark of older versions (no process is running it).
static bool ParseTempSuffix(const char* suffix, long& pid) {
    pid = 0;
    if (*suffix == '\0') return true;
    if (*suffix++ != '.') return false;
    char* end = nullptr;
    errno = 0;
    pid = std::strtol(suffix, &end, 10);
    if (errno != 0 || end == suffix || *end != '.' || pid <= 0) return false;
    const char* count = end + 1;
    if (*count == '\0') return false;
    for (const char* c = count; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

static bool ProcessRunning(long pid) {
    if (pid <= 0 || pid == static_cast<long>(::getpid())) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int RemoveWriteLeftovers(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = NameOf(path) + tempMark;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        long pid = 0;
        if (!ParseTempSuffix(entry->d_name + prefix.size(), pid) || ProcessRunning(pid)) continue;
        leftovers.push_back(folder + "/" + entry->d_name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& leftover : leftovers) {
        // Only files: a folder of that name is not something this game made.
        struct stat info {};
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::unlink(leftover.c_str()) == 0)
            ++removed;
    }
    return removed;
}

// Renames without replacing; false with EEXIST when the new name is taken.
static bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: look first (only another
    // program could take the name in between).
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool MoveFileAside(const std::string& path, std::string& aside) {
    for (int n = 0; n < 1000; ++n) {
        const std::string candidate = path + ".bad" + (n == 0 ? std::string() : "." + std::to_string(n));
        if (RenameNoReplace(path, candidate)) {
            aside = candidate;
            return true;
        }
        if (errno != EEXIST && errno != ENOTEMPTY) return false;
    }
    return false;
}
