// Whole-file reading and crash-safe writing for the game's small files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file, opened read-only. False when it cannot be opened or read,
// or is longer than maxBytes; `bytes` is then untouched.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// Writes a temporary file beside `path`, flushes it to disk and renames it over
// `path`, so a crash or power cut leaves either the old file or the new one.
// False (and the old file intact) when any step fails.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size);
