#pragma once
// The advisory lock that keeps two programs from changing one pair of
// user-data files at the same time (two copies of the reader, or the reader
// and vantrel-userdata on one folder). Whoever opens a pair for writing
// holds an exclusive flock on a small lock file beside it ("<index>.lock")
// until it closes the pair; the file is removed by its holder at the end.
// The index and data files themselves cannot carry the lock: both are
// replaced by rename while the pair is open.
//
// Nobody ever waits for the lock: a pair that is locked elsewhere is opened
// read-only, and tools refuse to work on it.
#include <string>

namespace vantrel {

class PairLock {
 public:
  enum class Result {
    locked,       // held by this object now
    inUse,        // another program (or another open of the pair) holds it
    unavailable,  // the lock file cannot be created (the folder cannot be written); see error()
  };

  PairLock() = default;
  ~PairLock() { release(); }
  PairLock(const PairLock&) = delete;
  PairLock& operator=(const PairLock&) = delete;

  // The lock file of the pair whose index file is at indexPath.
  static std::string lockPath(const std::string& indexPath) { return indexPath + ".lock"; }

  // Tries once, without waiting.
  Result acquire(const std::string& indexPath);
  // Removes the lock file and lets the lock go.
  void release();
  bool held() const { return fd_ >= 0; }
  // errno of the failure behind `unavailable`.
  int error() const { return error_; }

  // Whether someone holds the pair's lock now. Touches nothing: a lock file
  // that does not exist means nobody holds it.
  static bool inUse(const std::string& indexPath);

 private:
  int fd_ = -1;
  int error_ = 0;
  std::string path_;
};

}  // namespace vantrel
