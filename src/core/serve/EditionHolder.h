#pragma once
// The edition of the guide a server answers from, and its replacement while
// requests run. Each request takes a shared_ptr to the edition current when
// it starts and answers wholly from it; a reload opens the new edition on
// the side and swaps the pointer, so requests in flight finish on the old
// one (freed with the last of them) and new ones get the new one. When the
// new edition cannot be opened the old one stays, and the holder says why
// until a later reload succeeds.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel::serve {

template <typename Edition>
class EditionHolder {
 public:
  // Opens an edition; on failure returns null and says why in `why`.
  using Opener = std::function<std::shared_ptr<const Edition>(std::string& why)>;

  explicit EditionHolder(Opener opener) : opener_(std::move(opener)) {}

  // The first edition. False (why set) when it cannot be opened.
  bool open(std::string& why) {
    std::shared_ptr<const Edition> e = opener_(why);
    if (!e) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = std::move(e);
    problem_.clear();
    return true;
  }

  // Opens the edition again. On success the new one is current and any
  // earlier problem is forgotten; on failure the old one stays current and
  // problem() tells why. Reloads never run at the same time: a second caller
  // waits for the first.
  bool reload(std::string& why) {
    std::lock_guard<std::mutex> serial(reloadMutex_);
    std::shared_ptr<const Edition> e = opener_(why);
    std::shared_ptr<const Edition> old;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!e) {
      problem_ = why;
      return false;
    }
    old = std::move(current_);
    current_ = std::move(e);
    problem_.clear();
    return true;  // `old` is released here, after the lock: it may be the last owner
  }

  // The edition to answer a request from (null before a successful open).
  std::shared_ptr<const Edition> current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return current_;
  }

  // Why the last reload failed (empty when it did not, or a later one worked).
  std::string problem() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
  }

 private:
  Opener opener_;
  std::mutex reloadMutex_;
  mutable std::mutex mutex_;
  std::shared_ptr<const Edition> current_;
  std::string problem_;
};

}  // namespace vantrel::serve
