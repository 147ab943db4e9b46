#pragma once
// Small POSIX file helpers: positioned reads and writes that finish partial
// transfers, and the one way every program replaces a file it writes (user
// data, the content files, the web export, PDFs): a temporary file in the
// same folder, flushed, then renamed over the target, so that a reader sees
// the old file or the new one and never a part of either.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::fileops {

// When false, fsync calls are skipped (for fuzzing and benchmarks on
// throw-away files only; the program itself never turns durability off).
void setDurable(bool durable);
bool durable();

// Test seam: when not 0, every write through these helpers fails with this
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

// Whether a replacement is made durable (fsync of the file before the rename
// and of the folder after it) or only consistent: a crash may then lose the
// new file but never leaves a half-written one in place.
enum class Sync { durable, consistent };

// A file written beside its target and put in its place whole. Writes are
// buffered; commit() flushes, closes and renames. Whatever is not committed
// (an error, an early return) is removed when the object goes, and the
// target is then untouched.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile() { abandon(); }

  // Creates the temporary file: tempPath when given, else a new unique name
  // beside target. Permissions are a new file's (0666 less the umask).
  bool open(const std::string& target, Sync sync = Sync::durable, const std::string& tempPath = {});
  bool write(std::string_view bytes);
  bool write(const void* bytes, size_t n) { return write(std::string_view(static_cast<const char*>(bytes), n)); }
  // Writes what is buffered, syncs (when durable) and closes the temporary
  // file; the target is not touched yet. For several files that are put in
  // place together once all of them are complete.
  bool finish();
  // finish() when not done yet, then the rename over the target and, when
  // durable, a sync of the folder.
  bool commit();
  // Closes and removes the temporary file; the target stays as it was.
  void abandon();

  const std::string& target() const { return target_; }
  const std::string& tempPath() const { return temp_; }
  // After a failure: what failed, with the file and the system's reason.
  const std::string& error() const { return error_; }

 private:
  bool flush();
  bool fail(const std::string& what);
  std::string target_, temp_, buffer_, error_;
  Sync sync_ = Sync::durable;
  int fd_ = -1;
  bool finished_ = false;
};

// Replaces the file at path with exactly these bytes through AtomicFile.
// On failure the old file is untouched, the temporary removed, errno tells
// why and *error (when given) says it in words.
bool writeFileAtomic(const std::string& path, std::string_view bytes, Sync sync = Sync::durable,
                     std::string* error = nullptr);
// The same through the temporary file tempPath.
bool replaceFile(const std::string& path, const std::string& tempPath, const void* bytes, size_t n);

// Puts the folder built at temp in place of target: an existing target
// steps aside to aside first and is removed once temp is in its place. On
// failure the old target is put back, temp is left to the caller and *why
// tells the system's reason.
enum class FolderSwap { done, oldNotMoved, newNotMoved };
FolderSwap replaceFolder(const std::string& temp, const std::string& target, const std::string& aside,
                         std::string* why);

// Copies from to to, replacing to atomically (through to + ".part").
// False when from cannot be read or the copy fails; to is then untouched.
bool copyFileAtomic(const std::string& from, const std::string& to);

bool removeFile(const std::string& path);  // true when gone afterwards
bool renameFile(const std::string& from, const std::string& to);

}  // namespace vantrel::fileops
