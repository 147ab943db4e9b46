#include "serve/AccessLog.h"

#include <cerrno>
#include <cstring>

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

// Length of a valid UTF-8 sequence starting at s[i] (0 when invalid).
size_t utf8Length(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = 0;
  uint32_t cp = 0;
  if (c < 0x80) return 1;
  if ((c & 0xe0) == 0xc0) n = 2, cp = c & 0x1f;
  else if ((c & 0xf0) == 0xe0) n = 3, cp = c & 0x0f;
  else if ((c & 0xf8) == 0xf0) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    const auto d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xc0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3f);
  }
  const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
  return n;
}

std::string jsonText(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7f) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
      ++i;
    } else if (const size_t n = utf8Length(s, i); n > 0) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      out += "\\u00";  // a byte that is not UTF-8: shown as the Latin-1 character of its value
      out += kHex[c >> 4];
      out += kHex[c & 15];
      ++i;
    }
  }
  out += '"';
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
    out = "{\"time\":" + jsonText(isoTime(r.time)) + ",\"remote\":" + jsonText(r.remoteAddr) +
          ",\"method\":" + jsonText(r.method) + ",\"target\":" + jsonText(r.target) +
          ",\"version\":" + jsonText(r.version) + ",\"status\":" + std::to_string(r.status) +
          ",\"bytes\":" + std::to_string(r.bytes) + ",\"seconds\":" + seconds +
          ",\"referer\":" + jsonText(r.referer) + ",\"user_agent\":" + jsonText(r.userAgent) + "}\n";
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
