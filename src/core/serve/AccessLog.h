#pragma once
// The access log: one line per answered request, in the Common Log Format
// or as JSON lines, written to standard output or to a file that is opened
// again on request (after logrotate has moved it away).
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

namespace vantrel::serve {

enum class AccessLogFormat { clf, json };

// What one log line tells about a request and its answer.
struct AccessRecord {
  std::string remoteAddr;
  std::time_t time = 0;  // when it arrived, seconds since the epoch (UTC)
  std::string method;
  std::string target;  // path and query as the client sent them
  std::string version;  // "HTTP/1.1"
  int status = 0;
  uint64_t bytes = 0;  // of the body
  double seconds = 0;  // how long the answer took
  std::string referer;
  std::string userAgent;
};

// The line for one request, ending in "\n". Texts the client chose are
// escaped so that no request can forge a line or break the format: in CLF,
// bytes outside printable ASCII, '"' and '\' become \xHH; in JSON, the
// usual JSON escapes (and bytes that are not UTF-8 as \u00HH).
std::string formatAccessLine(const AccessRecord& record, AccessLogFormat format);

class AccessLog {
 public:
  AccessLog() = default;
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  // Where lines go: "-" for standard output, else a file opened for
  // appending. False (with the reason in error) when it cannot be opened.
  bool open(const std::string& destination, AccessLogFormat format, std::string& error);
  bool isOpen() const { return file_ != nullptr; }

  // Opens the file again (log rotation). Standard output stays as it is.
  // False when the file cannot be opened; the old one is kept then.
  bool reopen(std::string& error);

  // Writes one line (when open); lines of concurrent requests never mix.
  void write(const AccessRecord& record);

 private:
  std::mutex mutex_;
  std::string destination_;
  AccessLogFormat format_ = AccessLogFormat::clf;
  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
};

}  // namespace vantrel::serve
