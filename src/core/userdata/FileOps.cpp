#include "userdata/FileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool replaceFile(const std::string& path, const std::string& tempPath, const void* bytes, size_t n) {
  if (gWriteFault != 0) {
    errno = gWriteFault;
    return false;
  }
  const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = pwriteAll(fd, bytes, n, 0) && syncFile(fd);
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(tempPath.c_str());
    errno = error;
    return false;
  }
  // The new file is in place; a failed folder sync only weakens durability
  // against power loss, the files themselves are consistent.
  syncParentDirectory(path);
  return true;
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
