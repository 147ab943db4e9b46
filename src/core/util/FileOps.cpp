#include "core/util/FileOps.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vantrel::fileops {
namespace {
bool gDurable = true;
int gWriteFault = 0;
}

void setWriteFault(int error) { gWriteFault = error; }

void setDurable(bool value) { gDurable = value; }
bool durable() { return gDurable; }

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

int64_t fileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

std::string parentDirectory(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

int64_t preadAll(int fd, void* buffer, size_t n, uint64_t offset) {
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd, p + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(done);
}

bool pwriteAll(int fd, const void* buffer, size_t n, uint64_t offset) {
  if (gWriteFault != 0 && n > 0) {
    errno = gWriteFault;
    return false;
  }
  const auto* p = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pwrite(fd, p + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return false;
    done += static_cast<size_t>(r);
  }
  return true;
}

bool syncFile(int fd) {
  if (!gDurable) return true;
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool syncParentDirectory(const std::string& path) {
  if (!gDurable) return true;
  const int fd = ::open(parentDirectory(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

namespace {

// Writes buffered bytes to the temporary file in blocks of about this size.
constexpr size_t kBufferBytes = size_t(1) << 20;

// A new file beside target that no other writer has (0666 less the umask).
int createBeside(const std::string& target, std::string& temp) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool AtomicFile::open(const std::string& target, Sync sync, const std::string& tempPath) {
  abandon();
  target_ = target;
  sync_ = sync;
  finished_ = false;
  error_.clear();
  buffer_.clear();
  if (gWriteFault != 0) {
    errno = gWriteFault;
    return fail("cannot create a file beside " + target);
  }
  if (tempPath.empty()) {
    fd_ = createBeside(target, temp_);
  } else {
    temp_ = tempPath;
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  }
  if (fd_ < 0) {
    const int e = errno;
    temp_.clear();
    errno = e;
    return fail("cannot create a file beside " + target);
  }
  return true;
}

bool AtomicFile::write(std::string_view bytes) {
  if (fd_ < 0 || finished_) {
    errno = EBADF;
    return fail("cannot write " + target_);
  }
  buffer_.append(bytes);
  return buffer_.size() < kBufferBytes || flush();
}

bool AtomicFile::flush() {
  if (buffer_.empty()) return true;
  // Offsets are where the file ends: the buffer is written in order.
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0 || !pwriteAll(fd_, buffer_.data(), buffer_.size(), static_cast<uint64_t>(end)))
    return fail("cannot write " + target_);
  buffer_.clear();
  return true;
}

bool AtomicFile::finish() {
  if (finished_) return true;
  if (fd_ < 0) {
    errno = EBADF;
    return fail("cannot write " + target_);
  }
  if (!flush()) return false;
  if (sync_ == Sync::durable && !syncFile(fd_)) return fail("cannot flush " + temp_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail("cannot close " + temp_);
  finished_ = true;
  return true;
}

bool AtomicFile::commit() {
  if (!finish()) return false;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return fail("cannot rename into " + target_);
  temp_.clear();
  finished_ = false;
  // The new file is in place; a failed folder sync only weakens durability
  // against power loss, the files themselves are consistent.
  if (sync_ == Sync::durable) syncParentDirectory(target_);
  return true;
}

void AtomicFile::abandon() {
  const int e = errno;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  buffer_.clear();
  finished_ = false;
  errno = e;
}

bool AtomicFile::fail(const std::string& what) {
  const int e = errno;
  error_ = e != 0 ? what + ": " + std::strerror(e) : what;
  abandon();
  errno = e;
  return false;
}

bool writeFileAtomic(const std::string& path, std::string_view bytes, Sync sync, std::string* error) {
  AtomicFile file;
  const bool ok = file.open(path, sync) && file.write(bytes) && file.commit();
  if (!ok && error) *error = file.error();
  return ok;
}

bool replaceFile(const std::string& path, const std::string& tempPath, const void* bytes, size_t n) {
  AtomicFile file;
  return file.open(path, Sync::durable, tempPath) && file.write(bytes, n) && file.commit();
}

FolderSwap replaceFolder(const std::string& temp, const std::string& target, const std::string& aside,
                         std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(aside, ec);
  const bool hadOld = fs::exists(target, ec);
  if (hadOld) {
    fs::rename(target, aside, ec);
    if (ec) {
      if (why) *why = ec.message();
      return FolderSwap::oldNotMoved;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    if (why) *why = ec.message();
    if (hadOld) {
      fs::rename(aside, target, ec);
      if (ec) fs::remove_all(aside, ec);
    }
    return FolderSwap::newNotMoved;
  }
  if (hadOld) fs::remove_all(aside, ec);
  return FolderSwap::done;
}

bool copyFileAtomic(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  const std::string temp = to + ".part";
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  uint64_t offset = 0;
  bool ok = true;
  for (;;) {
    const int64_t got = preadAll(in, buffer.data(), buffer.size(), offset);
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!pwriteAll(out, buffer.data(), static_cast<size_t>(got), offset)) {
      ok = false;
      break;
    }
    offset += static_cast<uint64_t>(got);
  }
  ::close(in);
  ok = ok && syncFile(out);
  ok = (::close(out) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), to.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  syncParentDirectory(to);
  return true;
}

bool removeFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  return errno == ENOENT;
}

bool renameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace vantrel::fileops
