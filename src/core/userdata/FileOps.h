#pragma once
// Small POSIX file helpers for the user-data files: positioned reads and
// writes that finish partial transfers, durable replacement of a whole file
// (temporary file, fsync, rename, fsync of the folder) and an atomic copy.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::fileops {

// When false, fsync calls are skipped (for fuzzing and benchmarks on
// throw-away files only; the program itself never turns durability off).
void setDurable(bool durable);
bool durable();

// Test seam: when not 0, every write of user-data bytes fails with this
// errno (a full disk, a volume gone read-only), as the system would fail it.
void setWriteFault(int error);

bool exists(const std::string& path);
// Size of the file at path, or -1 when it cannot be examined.
int64_t fileSize(const std::string& path);
std::string parentDirectory(const std::string& path);
// Joins a folder and a file name with one '/'.
std::string joinPath(const std::string& directory, const std::string& name);

// Reads up to n bytes at offset; the number read (short only at end of file), -1 on error.
int64_t preadAll(int fd, void* buffer, size_t n, uint64_t offset);
// Writes all n bytes at offset; false on any error.
bool pwriteAll(int fd, const void* buffer, size_t n, uint64_t offset);

bool syncFile(int fd);
// Makes renames and removals in the folder of `path` durable.
bool syncParentDirectory(const std::string& path);

// Replaces the file at path with exactly these bytes: they are written to
// tempPath, flushed to disk, renamed over path and the folder is synced.
// On failure the old file is untouched, tempPath removed and errno tells why.
bool replaceFile(const std::string& path, const std::string& tempPath, const void* bytes, size_t n);

// Copies from to to, replacing to atomically (through to + ".part").
// False when from cannot be read or the copy fails; to is then untouched.
bool copyFileAtomic(const std::string& from, const std::string& to);

bool removeFile(const std::string& path);  // true when gone afterwards
bool renameFile(const std::string& from, const std::string& to);

}  // namespace vantrel::fileops
