// vantrel-serve: a read-only HTTP server over a guide's content database. It
// serves the same pages as vantrel-export, generated on request from the
// memory-mapped content, and a small JSON API. docs/serve.md tells more.
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include <httplib.h>

#include "WebApi.h"
#include "content/ContentDatabase.h"

namespace fs = std::filesystem;
using namespace vantrel;

namespace {

void usage(std::ostream& os) {
  os << "Usage: vantrel-serve [--base NAME] [--listen ADDR:PORT] [--threads N] DIR\n\n"
        "Serves the guide whose content database lies in DIR over HTTP, read-only:\n"
        "the pages of the static export and the JSON API under /api/ (docs/serve.md).\n\n"
        "  --listen ADDR:PORT  where to listen (default 127.0.0.1:8080; port 0 picks a\n"
        "                      free port). Prints \"listening on http://ADDR:PORT/\".\n"
        "  --threads N         worker threads, 1 to 1024 (default 32); each open\n"
        "                      keep-alive connection holds one while it lasts\n"
        "  --base NAME         base name of the content files (default Qd07-Qd07)\n"
        "  -h, --help          this text\n\n"
        "SIGTERM or SIGINT stops it cleanly.\n";
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

bool parseCount(const std::string& text, int& out) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::stoi(text);
  return out >= 1 && out <= 1024;
}

}  // namespace

int main(int argc, char** argv) {
  std::string base = "Qd07-Qd07", host = "127.0.0.1", dir;
  int port = 8080, threads = 32;
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
      if (!parseCount(value("--threads"), threads)) {
        std::cerr << "vantrel-serve: --threads wants a number from 1 to 1024\n";
        return 2;
      }
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
  ContentDatabase db;
  if (!fs::is_directory(dir) || !db.open((fs::path(dir) / base).string())) {
    std::cerr << "vantrel-serve: no valid content database in " << dir << " (base name " << base << ")\n";
    return 1;
  }

  // SIGTERM and SIGINT are taken by one thread that stops the server; every
  // other thread (the workers inherit the mask) never sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  serve::WebApi api(db);
  // The full-text index is used when one of this edition is ready (beside the
  // guide or in the cache folder); the server never builds or writes one.
  if (const IndexLocation loc = locateIndex(db, dir); loc.ready && api.useSearchIndex(loc.folder)) {
    std::fprintf(stderr, "vantrel-serve: full-text search from %s\n", loc.folder.c_str());
  }
  httplib::Server server;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
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

  auto answer = [&](const httplib::Request& req, httplib::Response& res) {
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
    const WebResponse r = api.get(req.path, query);
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

  std::thread stopper([&] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    server.stop();
  });
  const bool ok = server.listen_after_bind();
  // listen returns after stop(), or on its own after a failure: wake the waiter then.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  std::fprintf(stderr, "vantrel-serve: stopped\n");
  return ok ? 0 : 1;
}
