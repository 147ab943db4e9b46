#pragma once
// What GET /healthz answers, for load balancers and service managers:
//   200 {"status":"ok","edition":E,"objects":N}
//   200 {"status":"degraded",...,"reason":R}  a reload failed; the old edition still serves
//   503 {"status":"unavailable","reason":R,...}  nothing to serve, files gone, draining
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::serve {

struct HealthState {
  bool open = false;         // an edition is open
  std::string edition;       // its name
  uint64_t objects = 0;      // its object count
  std::string reloadProblem; // why the last reload failed (empty: it did not)
  std::string fileProblem;   // why the guide's files cannot be read (empty: they can)
  bool draining = false;     // stopping: the balancer should send no more
};

struct HealthAnswer {
  int status = 503;
  std::string body;  // JSON, ending in "\n"
};

HealthAnswer healthAnswer(const HealthState& state);

// Why the content files named in `paths` cannot be read now (missing, not a
// file, unreadable, empty), or an empty text when they all can.
std::string unreadableFiles(const std::vector<std::string>& paths);

}  // namespace vantrel::serve
