#include "core/serve/AccessLog.h"

#include <cerrno>
#include <cstring>

#include "core/util/HtmlText.h"

namespace vantrel::serve {
namespace {

const char kHex[] = "0123456789abcdef";

// CLF: printable ASCII kept, except '"' and '\', which, like every other
// byte, become \xHH (as nginx writes its log).
std::string clfText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string clfTime(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%d/%b/%Y:%H:%M:%S +0000", &tm);
  return buffer;
}

std::string isoTime(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buffer;
}

}  // namespace

std::string formatAccessLine(const AccessRecord& r, AccessLogFormat format) {
  std::string out;
  if (format == AccessLogFormat::json) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f", r.seconds >= 0 ? r.seconds : 0.0);
    out = "{\"time\":" + jsonQuoted(isoTime(r.time)) + ",\"remote\":" + jsonQuoted(r.remoteAddr) +
          ",\"method\":" + jsonQuoted(r.method) + ",\"target\":" + jsonQuoted(r.target) +
          ",\"version\":" + jsonQuoted(r.version) + ",\"status\":" + std::to_string(r.status) +
          ",\"bytes\":" + std::to_string(r.bytes) + ",\"seconds\":" + seconds +
          ",\"referer\":" + jsonQuoted(r.referer) + ",\"user_agent\":" + jsonQuoted(r.userAgent) + "}\n";
    return out;
  }
  const std::string host = r.remoteAddr.empty() ? "-" : clfText(r.remoteAddr);
  out = host + " - - [" + clfTime(r.time) + "] \"" + clfText(r.method) + ' ' + clfText(r.target) + ' ' +
        clfText(r.version) + "\" " + std::to_string(r.status) + ' ' +
        (r.bytes == 0 ? std::string("-") : std::to_string(r.bytes)) + '\n';
  return out;
}

AccessLog::~AccessLog() {
  if (file_ && ownsFile_) std::fclose(file_);
  else if (file_) std::fflush(file_);
}

bool AccessLog::open(const std::string& destination, AccessLogFormat format, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  format_ = format;
  if (destination == "-") {
    if (file_ && ownsFile_) std::fclose(file_);
    file_ = stdout;
    ownsFile_ = false;
    destination_ = destination;
    return true;
  }
  std::FILE* f = std::fopen(destination.c_str(), "ae");
  if (!f) {
    error = destination + ": " + std::strerror(errno);
    return false;
  }
  if (file_ && ownsFile_) std::fclose(file_);
  file_ = f;
  ownsFile_ = true;
  destination_ = destination;
  return true;
}

bool AccessLog::reopen(std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_ || !ownsFile_) return true;
  std::FILE* f = std::fopen(destination_.c_str(), "ae");
  if (!f) {
    error = destination_ + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(file_);
  file_ = f;
  return true;
}

void AccessLog::write(const AccessRecord& record) {
  // The format is set once before the first request; only the file changes.
  const std::string text = formatAccessLine(record, format_);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  // Each line is flushed: a reader tailing the log sees it at once and a
  // killed server loses none.
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

}  // namespace vantrel::serve
