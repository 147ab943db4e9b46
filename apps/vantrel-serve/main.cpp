// vantrel-serve: a read-only HTTP server over a guide's content database. It
// serves the same pages as vantrel-export, generated on request from the
// memory-mapped content, a small JSON API, /healthz and /metrics for the
// balancer and the people who run it. docs/serve.md tells more.
//
// Signals are never caught by a handler: they are blocked in every thread
// and taken by one thread with sigwait, which reloads the guide (SIGHUP),
// reopens the access log (SIGUSR1) or drains and stops the server (SIGTERM,
// SIGINT).
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include <httplib.h>

#include "core/serve/WebApi.h"
#include "core/content/ContentFormat.h"
#include "core/util/ProgramMain.h"
#include "core/content/ContentDatabase.h"
#include "core/search/SearchIndex.h"
#include "core/serve/AccessLog.h"
#include "core/serve/EditionHolder.h"
#include "core/serve/Health.h"
#include "core/serve/Metrics.h"

namespace fs = std::filesystem;
using namespace vantrel;
using Clock = std::chrono::steady_clock;

namespace {

void usage(std::ostream& os) {
  os << "Usage: vantrel-serve [--base NAME] [--listen ADDR:PORT] [--threads N]\n"
        "                     [--access-log FILE|-] [--access-log-format clf|json]\n"
        "                     [--drain-seconds N] DIR\n\n"
        "Serves the guide whose content database lies in DIR over HTTP, read-only:\n"
        "the pages of the static export, the JSON API under /api/, /healthz and\n"
        "/metrics (docs/serve.md).\n\n"
        "  --listen ADDR:PORT  where to listen (default 127.0.0.1:8080; port 0 picks a\n"
        "                      free port). Prints \"listening on http://ADDR:PORT/\".\n"
        "  --threads N         worker threads, 1 to 1024 (default 32); each open\n"
        "                      keep-alive connection holds one while it lasts\n"
        "  --base NAME         base name of the content files (default " VANTREL_CONTENT_BASE_NAME ")\n"
        "  --access-log FILE   one line per request to FILE (appended; - for standard\n"
        "                      output). Off by default. SIGUSR1 reopens FILE after\n"
        "                      log rotation\n"
        "  --access-log-format clf|json\n"
        "                      Common Log Format (default) or one JSON object a line;\n"
        "                      without --access-log the lines go to standard output\n"
        "  --drain-seconds N   on SIGTERM, answer /healthz with 503 for N seconds\n"
        "                      (0 to 86400, default 0) while still serving, so the\n"
        "                      balancer takes the server out; then stop accepting,\n"
        "                      finish the requests in flight and exit 0\n"
        "  -h, --help          this text\n\n"
        "SIGHUP opens the guide in DIR again (a new edition put in place): requests\n"
        "in flight finish on the old edition, new ones get the new one. When the new\n"
        "edition cannot be opened the old one keeps serving and /healthz says\n"
        "\"degraded\". SIGTERM or SIGINT stops the server cleanly.\n";
}

bool parseListen(const std::string& text, std::string& host, int& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string p = text.substr(colon + 1);
  if (p.empty() || p.size() > 5 || p.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::stoi(p);
  return port <= 65535;
}

bool parseNumber(const std::string& text, int low, int high, int& out) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::stoi(text);
  return out >= low && out <= high;
}

// One open edition: the content files, and the pages and API over them
// with their page cache. Requests hold it by shared_ptr while they run.
struct Edition {
  ContentDatabase db;
  std::unique_ptr<serve::WebApi> api;
};

// Counts connections: every task the server queues is one accepted
// connection, served until it closes.
class CountingPool : public httplib::TaskQueue {
 public:
  CountingPool(size_t threads, serve::Metrics& metrics) : pool_(threads), metrics_(metrics) {}
  void enqueue(std::function<void()> fn) override {
    metrics_.connectionOpened();
    pool_.enqueue([this, fn = std::move(fn)] {
      fn();
      metrics_.connectionClosed();
    });
  }
  void shutdown() override { pool_.shutdown(); }

 private:
  httplib::ThreadPool pool_;
  serve::Metrics& metrics_;
};

// When the request being answered on this thread arrived (set when it has
// been read, before routing; cleared once it is logged).
thread_local Clock::time_point requestStart{};
thread_local std::time_t requestTime = 0;

double secondsSince(Clock::time_point start) {
  if (start == Clock::time_point{}) return 0;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

static int runProgram(int argc, char** argv) {
  std::string base = kContentBaseName, host = "127.0.0.1", dir, logDestination;
  int port = 8080, threads = 32, drainSeconds = 0;
  bool logWanted = false;
  serve::AccessLogFormat logFormat = serve::AccessLogFormat::clf;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "vantrel-serve: " << name << " needs a value\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "-h" || a == "--help") {
      usage(std::cout);
      return 0;
    } else if (a == "--listen") {
      if (!parseListen(value("--listen"), host, port)) {
        std::cerr << "vantrel-serve: --listen wants ADDR:PORT, such as 127.0.0.1:8080\n";
        return 2;
      }
    } else if (a == "--threads") {
      if (!parseNumber(value("--threads"), 1, 1024, threads)) {
        std::cerr << "vantrel-serve: --threads wants a number from 1 to 1024\n";
        return 2;
      }
    } else if (a == "--drain-seconds") {
      if (!parseNumber(value("--drain-seconds"), 0, 86400, drainSeconds)) {
        std::cerr << "vantrel-serve: --drain-seconds wants a number from 0 to 86400\n";
        return 2;
      }
    } else if (a == "--access-log") {
      logDestination = value("--access-log");
      logWanted = true;
      if (logDestination.empty()) {
        std::cerr << "vantrel-serve: --access-log wants a file name or -\n";
        return 2;
      }
    } else if (a == "--access-log-format") {
      const std::string f = value("--access-log-format");
      if (f == "clf") logFormat = serve::AccessLogFormat::clf;
      else if (f == "json") logFormat = serve::AccessLogFormat::json;
      else {
        std::cerr << "vantrel-serve: --access-log-format wants clf or json\n";
        return 2;
      }
      logWanted = true;
    } else if (a == "--base") {
      base = value("--base");
    } else if (!a.empty() && a[0] == '-') {
      std::cerr << "vantrel-serve: unknown option " << a << "\n";
      usage(std::cerr);
      return 2;
    } else if (dir.empty()) {
      dir = a;
    } else {
      usage(std::cerr);
      return 2;
    }
  }
  if (dir.empty()) {
    usage(std::cerr);
    return 2;
  }
  const std::string basePath = (fs::path(dir) / base).string();
  const std::vector<std::string> contentFiles = {basePath + "-Data.pdb", basePath + "-Strings.pdb"};

  // The guide in DIR, opened afresh at start and on every SIGHUP.
  serve::EditionHolder<Edition> holder([&](std::string& why) -> std::shared_ptr<const Edition> {
    auto e = std::make_shared<Edition>();
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
      why = dir + " is not a folder";
      return nullptr;
    }
    if (!e->db.open(basePath) || !e->db.valid()) {
      why = "no valid content database in " + dir + " (base name " + base + ")";
      if (!e->db.openError().empty()) why += ": " + e->db.openError();
      return nullptr;
    }
    e->api = std::make_unique<serve::WebApi>(e->db);
    // The full-text index is used when one of this edition is ready (beside
    // the guide or in the cache folder); the server never builds or writes one.
    if (const IndexLocation loc = locateIndex(e->db, dir); loc.ready && e->api->useSearchIndex(loc.folder)) {
      std::fprintf(stderr, "vantrel-serve: full-text search from %s\n", loc.folder.c_str());
    }
    return e;
  });
  if (std::string why; !holder.open(why)) {
    std::cerr << "vantrel-serve: " << why << "\n";
    return 1;
  }

  serve::AccessLog accessLog;
  if (logWanted) {
    std::string why;
    if (!accessLog.open(logDestination.empty() ? "-" : logDestination, logFormat, why)) {
      std::cerr << "vantrel-serve: cannot open the access log " << why << "\n";
      return 1;
    }
  }

  // Every thread started from here on inherits the mask: only the signal
  // thread below takes these signals.
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&signals, s);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  serve::Metrics metrics;
  std::atomic<bool> draining{false};

  httplib::Server server;
  server.new_task_queue = [threads, &metrics] { return new CountingPool(static_cast<size_t>(threads), metrics); };
  // The library listens with a backlog of 5, which drops connections that
  // arrive together; the listening socket is noted here and its backlog
  // raised once it listens.
  int listenSocket = -1;
  server.set_socket_options([&listenSocket](socket_t sock) {
    httplib::default_socket_options(sock);
    listenSocket = sock;
  });
  server.set_tcp_nodelay(true);  // small answers go out at once, not after the peer's delayed ACK
  server.set_keep_alive_max_count(1000);
  server.set_payload_max_length(64 * 1024);
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);

  server.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
    requestStart = Clock::now();
    requestTime = std::time(nullptr);
    return httplib::Server::HandlerResponse::Unhandled;
  });

  auto healthState = [&](const Edition* e) {
    serve::HealthState s;
    s.open = e != nullptr;
    if (e) {
      s.edition = e->api->edition();
      s.objects = e->db.objectCount();
    }
    s.reloadProblem = holder.problem();
    s.fileProblem = serve::unreadableFiles(contentFiles);
    s.draining = draining.load();
    return s;
  };

  auto answer = [&](const httplib::Request& req, httplib::Response& res) {
    // The edition this request is answered from, whatever a reload does meanwhile.
    const std::shared_ptr<const Edition> edition = holder.current();
    if (req.path == "/healthz") {
      const serve::HealthAnswer h = serve::healthAnswer(healthState(edition.get()));
      res.status = h.status;
      res.set_header("Cache-Control", "no-store");
      res.set_content(h.body, "application/json");
      return;
    }
    if (req.path == "/metrics") {
      serve::MetricsGauges g;
      g.cacheEntries = edition->api->cacheEntries();
      g.cacheBytes = edition->api->cacheBytes();
      g.openConnections = metrics.openConnections();
      g.edition = edition->api->edition();
      g.objects = edition->db.objectCount();
      g.draining = draining.load();
      res.set_header("Cache-Control", "no-store");
      res.set_content(metrics.exposition(g), serve::Metrics::kContentType);
      return;
    }
    const serve::WebApi& api = *edition->api;
    serve::Query query;
    if (req.has_param("q")) {
      query.hasQ = true;
      query.q = req.get_param_value("q");
    }
    res.set_header("ETag", api.etag());
    res.set_header("Cache-Control", "public, max-age=3600");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
                   "object-src 'none'; base-uri 'none'; form-action 'none'");
    if (req.get_header_value("If-None-Match") == api.etag()) {
      res.status = 304;
      return;
    }
    serve::WebApi::CacheUse use = serve::WebApi::CacheUse::none;
    const WebResponse r = api.get(req.path, query, &use);
    if (use == serve::WebApi::CacheUse::hit) metrics.cacheHit();
    else if (use == serve::WebApi::CacheUse::miss) metrics.cacheMiss();
    res.status = r.status;
    res.set_content(r.body, r.contentType.c_str());
  };
  server.Get(".*", answer);
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) res.set_content("Error " + std::to_string(res.status) + "\n", "text/plain; charset=utf-8");
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    res.status = 500;
    res.set_content("Internal error\n", "text/plain; charset=utf-8");
  });
  // Called once a request has been answered: metrics and the access log.
  server.set_logger([&](const httplib::Request& req, const httplib::Response& res) {
    const double seconds = secondsSince(requestStart);
    const uint64_t bytes = (req.method == "HEAD" || res.status == 304) ? 0 : res.body.size();
    metrics.record(serve::routeOf(req.path), res.status, bytes, seconds);
    if (accessLog.isOpen()) {
      serve::AccessRecord r;
      r.remoteAddr = req.remote_addr;
      r.time = requestStart == Clock::time_point{} ? std::time(nullptr) : requestTime;
      r.method = req.method;
      r.target = req.target.empty() ? req.path : req.target;
      r.version = req.version;
      r.status = res.status;
      r.bytes = bytes;
      r.seconds = seconds;
      r.referer = req.get_header_value("Referer");
      r.userAgent = req.get_header_value("User-Agent");
      accessLog.write(r);
    }
    requestStart = Clock::time_point{};
  });

  if (port == 0) {
    port = server.bind_to_any_port(host);
    if (port < 0) port = 0;
  } else if (!server.bind_to_port(host, port)) {
    port = 0;
  }
  if (port == 0) {
    std::cerr << "vantrel-serve: cannot listen on " << host << "\n";
    return 1;
  }
  if (listenSocket >= 0) ::listen(listenSocket, SOMAXCONN);
  const bool v6 = host.find(':') != std::string::npos;
  std::printf("listening on http://%s%s%s:%d/\n", v6 ? "[" : "", host.c_str(), v6 ? "]" : "", port);
  std::fflush(stdout);

  // Opens the guide again and says on standard error how it went.
  auto reload = [&] {
    const Clock::time_point t0 = Clock::now();
    std::string why;
    const bool ok = holder.reload(why);
    metrics.reload(ok);
    const auto e = holder.current();
    if (ok) {
      std::fprintf(stderr, "vantrel-serve: edition %s opened in %.0f ms\n", e->api->edition().c_str(),
                   secondsSince(t0) * 1000);
    } else {
      std::fprintf(stderr, "vantrel-serve: reload failed, still serving edition %s: %s\n",
                   e->api->edition().c_str(), why.c_str());
    }
  };

  std::atomic<bool> listenEnded{false};
  std::thread signalThread([&] {
    for (;;) {
      int sig = 0;
      if (sigwait(&signals, &sig) != 0) continue;
      if (listenEnded.load()) return;
      if (sig == SIGHUP) {
        reload();
      } else if (sig == SIGUSR1) {
        std::string why;
        if (!accessLog.reopen(why)) std::fprintf(stderr, "vantrel-serve: cannot reopen the access log %s\n", why.c_str());
      } else {
        draining = true;
        if (drainSeconds > 0) {
          std::fprintf(stderr, "vantrel-serve: draining for %d s\n", drainSeconds);
          // Reloads and log reopening still work while draining; a second
          // SIGTERM or SIGINT cuts the drain short.
          const Clock::time_point end = Clock::now() + std::chrono::seconds(drainSeconds);
          for (;;) {
            const auto left = end - Clock::now();
            if (left <= Clock::duration::zero()) break;
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            const int s = sigtimedwait(&signals, nullptr, &ts);
            if (s == SIGTERM || s == SIGINT || listenEnded.load()) break;
            if (s == SIGHUP) reload();
            if (s == SIGUSR1) {
              std::string why;
              accessLog.reopen(why);
            }
          }
        }
        server.stop();
        return;
      }
    }
  });
  const bool ok = server.listen_after_bind();
  // listen returns after stop(), or on its own after a failure: wake the signal thread then.
  listenEnded = true;
  pthread_kill(signalThread.native_handle(), SIGTERM);
  signalThread.join();
  std::fprintf(stderr, "vantrel-serve: stopped\n");
  return ok ? 0 : 1;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-serve", runProgram, argc, argv); }
