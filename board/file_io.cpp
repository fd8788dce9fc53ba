#include "board/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) { ok = false; break; }
        done += static_cast<size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) std::remove(temp.c_str());
    return ok;
}
