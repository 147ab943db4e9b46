#include "core/serve/Health.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/util/HtmlText.h"

namespace vantrel::serve {

HealthAnswer healthAnswer(const HealthState& s) {
  HealthAnswer a;
  std::string reason;
  if (!s.open) reason = "no edition is open";
  else if (s.draining) reason = "draining: the server is stopping";
  else if (!s.fileProblem.empty()) reason = s.fileProblem;
  const bool degraded = reason.empty() && !s.reloadProblem.empty();
  a.status = reason.empty() ? 200 : 503;
  a.body = "{\"status\":";
  a.body += reason.empty() ? (degraded ? "\"degraded\"" : "\"ok\"") : "\"unavailable\"";
  a.body += ",\"edition\":" + (s.open ? jsonQuoted(s.edition) : std::string("null"));
  a.body += ",\"objects\":" + std::to_string(s.objects);
  if (!reason.empty()) a.body += ",\"reason\":" + jsonQuoted(reason);
  else if (degraded) a.body += ",\"reason\":" + jsonQuoted("reload failed, still serving the old edition: " + s.reloadProblem);
  a.body += "}\n";
  return a;
}

std::string unreadableFiles(const std::vector<std::string>& paths) {
  std::string out;
  for (const std::string& p : paths) {
    std::string why;
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      why = std::strerror(errno);
    } else {
      struct stat st {};
      char byte = 0;
      if (::fstat(fd, &st) != 0) why = std::strerror(errno);
      else if (!S_ISREG(st.st_mode)) why = "not a file";
      else if (st.st_size == 0 || ::pread(fd, &byte, 1, 0) != 1) why = "cannot be read";
      ::close(fd);
    }
    if (!why.empty()) {
      if (!out.empty()) out += "; ";
      out += p + ": " + why;
    }
  }
  return out;
}

}  // namespace vantrel::serve
