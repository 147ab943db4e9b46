#include "core/userdata/PairLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

PairLock::Result PairLock::acquire(const std::string& indexPath) {
  release();
  error_ = 0;
  const std::string path = lockPath(indexPath);
  // The holder removes the file before it lets the lock go, so a lock won on
  // a file that is no longer the one at the path is worthless: try again.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
      error_ = errno;
      return Result::unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int e = errno;
      ::close(fd);
      if (e == EWOULDBLOCK || e == EINTR) return Result::inUse;
      error_ = e;
      return Result::unavailable;
    }
    struct stat held, named;
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      fd_ = fd;
      path_ = path;
      return Result::locked;
    }
    ::close(fd);
  }
  return Result::inUse;
}

void PairLock::release() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
  path_.clear();
}

bool PairLock::inUse(const std::string& indexPath) {
  const int fd = ::open(lockPath(indexPath).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // closing lets go of a lock this probe may have won
  return busy;
}

}  // namespace vantrel
