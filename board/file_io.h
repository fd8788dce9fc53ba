// Whole-file reading and crash-safe writing for the game's small files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Opens a file read-only when it is a regular file of at most maxBytes. A FIFO,
// a device or a folder is refused at once, never waited on: the open does not
// block, and the opened descriptor is what gets checked. Null when refused or
// not opened; errno then says why (EINVAL not a regular file, EFBIG too long).
std::FILE* OpenRegularFile(const std::string& path, size_t maxBytes);

// Reads a whole regular file, opened as OpenRegularFile does. False when it
// cannot be opened or read, is no regular file or is longer than maxBytes;
// `bytes` is then untouched.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// Why the last OpenRegularFile or ReadWholeFile failed, in a few English words.
std::string ReadFailureText(int errorNumber);

// Writes a temporary file beside `path`, named after it, this process and a
// counter (NAME.tmp.<pid>.<n>, so two running copies never share one), flushes
// it to disk, gives it the mode of the file it replaces and renames it over
// `path`, then flushes the folder: a crash or power cut leaves either the old
// file or the new one. False (and the old file intact) when any step fails.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);

// Removes the temporary files WriteFileAtomically left beside `path` when the
// process writing them was killed: those of processes no longer running (and of
// this one, so call it before the first write). Returns how many went.
int RemoveWriteLeftovers(const std::string& path);

// Renames `path` to the first free name of `path`.bad, `path`.bad.1, ...,
// never replacing anything that is there; the new name in `aside`. False when
// it cannot be renamed (the file is then where it was).
bool MoveFileAside(const std::string& path, std::string& aside);
