// Reading and writing the tool's files: one owner for an open stream, one reader, one
// atomic writer. Every failure comes back as a sentence naming the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct FileCloser {
    void operator()(FILE* pFile) const { std::fclose(pFile); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Hands the file's bytes to take, a block at a time. False, with the reason, when the file
// cannot be opened or read, or when take returns false (having set error itself).
bool ReadFileChunks(const std::string& path, const std::function<bool(const uint8_t*, size_t)>& take,
                    std::string& error);

// Reads a whole file; one of more than nMaxBytes is refused (an archive entry's size is a
// 32-bit number, for one).
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                   uint64_t nMaxBytes = UINT64_MAX);
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

// Writes bytes to path through a temporary file beside it, which then takes the final
// name (replacing a file there), so that a failed run never leaves a half-written file
// under that name.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Gives the file from the name to, replacing a file there in one step: rename on POSIX;
// on Windows, where rename refuses an existing target, MoveFileEx with
// MOVEFILE_REPLACE_EXISTING.
bool RenameReplacing(const std::string& from, const std::string& to, std::string& error);
