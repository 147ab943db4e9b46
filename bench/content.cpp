// The content database against SQLite on the same data: a synthetic guide of
// 1,000,000 objects (VANTREL_BENCH_OBJECTS overrides the count), generated
// once into a cache folder under the build tree, and the same objects and
// strings in an SQLite file (objects keyed by index, with an index on id and
// one on (parent, type)).
//
// Measured per operation for both: readEntry, findById, findGroup,
// collectGroup of 20, readString; also the time to open and, as counters of
// the open benchmark, the resident memory the open adds against the size of
// the lookup tables. A table of ratios (content database / SQLite) closes the
// run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/util/TextCodec.h"

namespace fs = std::filesystem;
using namespace vantrel;

namespace {

// Bump when the synthetic guide or the SQLite schema changes.
constexpr const char* kCacheVersion = "v1";
constexpr uint64_t kSeed = 1;
constexpr size_t kInputs = 1 << 14;

uint32_t objectTarget() {
  if (const char* e = std::getenv("VANTREL_BENCH_OBJECTS")) {
    long n = std::atol(e);
    if (n > 0) return uint32_t(n);
  }
  return 1000000;
}

std::string cacheDir() {
  return std::string(VANTREL_BINARY_DIR) + "/bench-cache/content-" + std::to_string(objectTarget()) + "-seed" +
         std::to_string(kSeed) + "-" + kCacheVersion;
}
std::string basePath() { return cacheDir() + "/" + kContentBaseName; }
std::string sqlitePath() { return cacheDir() + "/guide.sqlite"; }

long rssKiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::cerr << "sqlite: " << what << ": " << sqlite3_errmsg(db) << "\n";
    std::exit(1);
  }
}

// Builds the content files and the SQLite copy of the same data. Runs in a
// child process so that the memory it takes never shows in the measurements.
int buildCache() {
  fs::create_directories(cacheDir());
  const uint32_t n = objectTarget();
  std::cerr << "bench_content: generating a synthetic guide of " << n << " objects in " << cacheDir() << "\n";
  {
    auto writer = makeSyntheticGuide(n, kSeed);
    std::string error;
    if (!writer->write(basePath(), &error)) {
      std::cerr << "bench_content: " << error << "\n";
      return 1;
    }
  }
  ContentDatabase content;
  if (!content.open(basePath())) {
    std::cerr << "bench_content: the generated guide does not open\n";
    return 1;
  }
  const std::string tmp = sqlitePath() + ".tmp";
  fs::remove(tmp);
  sqlite3* db = nullptr;
  check(sqlite3_open(tmp.c_str(), &db), db, "open");
  check(sqlite3_exec(db,
                     "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                     "CREATE TABLE objects(idx INTEGER PRIMARY KEY, id INTEGER NOT NULL, parent INTEGER NOT NULL,"
                     " type INTEGER NOT NULL, run INTEGER NOT NULL, kind INTEGER NOT NULL, value INTEGER NOT NULL,"
                     " byid INTEGER NOT NULL);"
                     "CREATE TABLE strings(num INTEGER PRIMARY KEY, text TEXT NOT NULL);"
                     "CREATE TABLE types(num INTEGER PRIMARY KEY, name TEXT NOT NULL);"
                     "BEGIN;",
                     nullptr, nullptr, nullptr),
        db, "schema");
  sqlite3_stmt* ins = nullptr;
  check(sqlite3_prepare_v2(db, "INSERT INTO objects VALUES(?,?,?,?,?,?,?,?)", -1, &ins, nullptr), db, "prepare");
  ObjectEntry e;
  for (ObjectIndex i = 0; i < content.objectCount(); ++i) {
    content.readEntry(i, e);
    const int64_t v[8] = {e.index, e.id, e.parent, e.type, e.run, e.valueKind, e.value, e.byIdOrder};
    for (int k = 0; k < 8; ++k) sqlite3_bind_int64(ins, k + 1, v[k]);
    check(sqlite3_step(ins), db, "insert object");
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  check(sqlite3_prepare_v2(db, "INSERT INTO strings VALUES(?,?)", -1, &ins, nullptr), db, "prepare");
  for (uint32_t s = 0; s < content.stringCount(); ++s) {
    const std::string text = toUtf8(content.readString(s));
    sqlite3_bind_int64(ins, 1, s);
    sqlite3_bind_text(ins, 2, text.data(), int(text.size()), SQLITE_TRANSIENT);
    check(sqlite3_step(ins), db, "insert string");
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  check(sqlite3_prepare_v2(db, "INSERT INTO types VALUES(?,?)", -1, &ins, nullptr), db, "prepare");
  for (uint32_t t = 0; t < content.typeNames().size(); ++t) {
    const std::string name = toUtf8(content.typeNames()[t]);
    sqlite3_bind_int64(ins, 1, t);
    sqlite3_bind_text(ins, 2, name.data(), int(name.size()), SQLITE_TRANSIENT);
    check(sqlite3_step(ins), db, "insert type");
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  check(sqlite3_exec(db,
                     "COMMIT; CREATE INDEX objects_id ON objects(id);"
                     "CREATE INDEX objects_group ON objects(parent, type); ANALYZE;",
                     nullptr, nullptr, nullptr),
        db, "indexes");
  sqlite3_close(db);
  fs::rename(tmp, sqlitePath());
  std::cerr << "bench_content: cache ready\n";
  return 0;
}

bool ensureCache() {
  if (fs::exists(sqlitePath()) && fs::exists(basePath() + "-Data.pdb")) return true;
  const pid_t child = ::fork();
  if (child == 0) {
    std::fflush(nullptr);
    ::_exit(buildCache());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return false;
  return fs::exists(sqlitePath());
}

// ---------------------------------------------------------------------------
// Shared state: both databases open, and the inputs every benchmark cycles
// through, drawn once from the data itself.

struct Inputs {
  std::vector<ObjectIndex> indexes;
  std::vector<uint32_t> ids;
  std::vector<std::pair<ObjectIndex, uint16_t>> groups;                 // any group
  std::vector<std::pair<ObjectIndex, std::u16string>> bigGroups;        // groups of 20 or more
  std::vector<uint32_t> strings;
};

ContentDatabase* gContent = nullptr;
ContentDatabase* gPlain = nullptr;  // the same files without the search fences (the searches before them)
sqlite3* gSql = nullptr;     // autocommit: every query is its own read transaction
sqlite3* gSqlTxn = nullptr;  // one read transaction held for the whole run
Inputs* gIn = nullptr;
std::unordered_map<std::u16string, int64_t>* gSqlTypes = nullptr;

struct OpenMemory {
  long before = 0, after = 0;
  size_t tables = 0;
  double openMs = 0;
} gOpenMemory;

bool setUp() {
  // Memory first, in a process that has not yet touched either database.
  gOpenMemory.before = rssKiB();
  auto t0 = std::chrono::steady_clock::now();
  gContent = new ContentDatabase;
  if (!gContent->open(basePath())) return false;
  gOpenMemory.openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  gOpenMemory.after = rssKiB();
  gOpenMemory.tables = gContent->tableBytes();
  gPlain = new ContentDatabase;
  if (!gPlain->open(basePath(), false)) return false;

  if (sqlite3_open_v2(sqlitePath().c_str(), &gSql, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return false;
  if (sqlite3_open_v2(sqlitePath().c_str(), &gSqlTxn, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return false;
  // BEGIN alone takes no lock; the first read does, and keeps it until COMMIT,
  // so later queries find the page cache valid without asking the file.
  check(sqlite3_exec(gSqlTxn, "BEGIN; SELECT count(*) FROM types;", nullptr, nullptr, nullptr), gSqlTxn, "begin");
  gSqlTypes = new std::unordered_map<std::u16string, int64_t>;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(gSql, "SELECT num, name FROM types", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    (*gSqlTypes)[fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)))] = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);

  gIn = new Inputs;
  std::mt19937_64 rng(12345);
  const uint32_t n = gContent->objectCount();
  ObjectEntry e, head;
  for (size_t k = 0; k < kInputs; ++k) {
    const ObjectIndex i = ObjectIndex(rng() % n);
    gIn->indexes.push_back(i);
    gContent->readEntry(i, e);
    gIn->ids.push_back(e.id);
    if (i > 0) {
      ObjectIndex first = gContent->findGroup(e.parent, e.type);
      gIn->groups.emplace_back(e.parent, e.type);
      gContent->readEntry(first, head);
      if (head.run + 1 >= 20) gIn->bigGroups.emplace_back(e.parent, gContent->typeName(e.type));
    }
    gIn->strings.push_back(uint32_t(rng() % gContent->stringCount()));
  }
  if (gIn->bigGroups.empty()) return false;
  return true;
}

// Prepared statements for one benchmark.
struct Stmt {
  sqlite3_stmt* s = nullptr;
  Stmt(bool held, const char* sql) {
    sqlite3* db = held ? gSqlTxn : gSql;
    check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), db, sql);
  }
  ~Stmt() { sqlite3_finalize(s); }
};

void sqlEntry(sqlite3_stmt* s, ObjectEntry& e) {
  e.index = ObjectIndex(sqlite3_column_int64(s, 0));
  e.id = uint32_t(sqlite3_column_int64(s, 1));
  e.parent = ObjectIndex(sqlite3_column_int64(s, 2));
  e.type = uint16_t(sqlite3_column_int64(s, 3));
  e.run = uint32_t(sqlite3_column_int64(s, 4));
  e.valueKind = uint16_t(sqlite3_column_int64(s, 5));
  e.value = uint32_t(sqlite3_column_int64(s, 6));
  e.byIdOrder = ObjectIndex(sqlite3_column_int64(s, 7));
}

// --- open ---

void BM_Open_Content(benchmark::State& state) {
  for (auto _ : state) {
    ContentDatabase db;
    benchmark::DoNotOptimize(db.open(basePath()));
  }
  state.counters["open_ms_first"] = gOpenMemory.openMs;
  state.counters["rss_growth_KiB"] = double(gOpenMemory.after - gOpenMemory.before);
  state.counters["tables_KiB"] = double(gOpenMemory.tables) / 1024.0;
  state.counters["limit_KiB"] = double(gOpenMemory.tables) / 1024.0 + 2048.0;
}
void BM_Open_ContentNoFence(benchmark::State& state) {
  for (auto _ : state) {
    ContentDatabase db;
    benchmark::DoNotOptimize(db.open(basePath(), false));
  }
}
void BM_Open_SQLite(benchmark::State& state) {
  for (auto _ : state) {
    // Open and make the first query ready, as a reader would before its
    // first page.
    sqlite3* db = nullptr;
    sqlite3_open_v2(sqlitePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM objects WHERE idx=?", -1, &s, nullptr);
    sqlite3_finalize(s);
    sqlite3_close(db);
  }
}

// --- readEntry ---

void BM_ReadEntry_Content(benchmark::State& state) {
  size_t k = 0;
  ObjectEntry e;
  for (auto _ : state) {
    gContent->readEntry(gIn->indexes[k++ % kInputs], e);
    benchmark::DoNotOptimize(e);
  }
}
void BM_ReadEntry_SQLite(benchmark::State& state, bool held) {
  Stmt q(held, "SELECT idx, id, parent, type, run, kind, value, byid FROM objects WHERE idx=?");
  size_t k = 0;
  ObjectEntry e;
  for (auto _ : state) {
    sqlite3_bind_int64(q.s, 1, gIn->indexes[k++ % kInputs]);
    if (sqlite3_step(q.s) == SQLITE_ROW) sqlEntry(q.s, e);
    sqlite3_reset(q.s);
    benchmark::DoNotOptimize(e);
  }
}

// --- findById ---

void BM_FindById_Content(benchmark::State& state) {
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gContent->findById(gIn->ids[k++ % kInputs]));
}
void BM_FindById_ContentNoFence(benchmark::State& state) {
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gPlain->findById(gIn->ids[k++ % kInputs]));
}
void BM_FindById_SQLite(benchmark::State& state, bool held) {
  Stmt q(held, "SELECT idx FROM objects WHERE id=?");
  size_t k = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(q.s, 1, gIn->ids[k++ % kInputs]);
    ObjectIndex r = 0;
    if (sqlite3_step(q.s) == SQLITE_ROW) r = ObjectIndex(sqlite3_column_int64(q.s, 0));
    sqlite3_reset(q.s);
    benchmark::DoNotOptimize(r);
  }
}

// --- findGroup ---

void BM_FindGroup_Content(benchmark::State& state) {
  size_t k = 0;
  for (auto _ : state) {
    const auto& g = gIn->groups[k++ % gIn->groups.size()];
    benchmark::DoNotOptimize(gContent->findGroup(g.first, g.second));
  }
}
void BM_FindGroup_ContentNoFence(benchmark::State& state) {
  size_t k = 0;
  for (auto _ : state) {
    const auto& g = gIn->groups[k++ % gIn->groups.size()];
    benchmark::DoNotOptimize(gPlain->findGroup(g.first, g.second));
  }
}
void BM_FindGroup_SQLite(benchmark::State& state, bool held) {
  Stmt q(held, "SELECT idx FROM objects WHERE parent=? AND type=? ORDER BY idx LIMIT 1");
  size_t k = 0;
  for (auto _ : state) {
    const auto& g = gIn->groups[k++ % gIn->groups.size()];
    sqlite3_bind_int64(q.s, 1, g.first);
    sqlite3_bind_int64(q.s, 2, g.second);
    ObjectIndex r = 0;
    if (sqlite3_step(q.s) == SQLITE_ROW) r = ObjectIndex(sqlite3_column_int64(q.s, 0));
    sqlite3_reset(q.s);
    benchmark::DoNotOptimize(r);
  }
}

// --- collectGroup of 20 (by type name, as the viewers ask) ---

void BM_CollectGroup20_Content(benchmark::State& state) {
  size_t k = 0;
  std::vector<ObjectEntry> out;
  for (auto _ : state) {
    const auto& g = gIn->bigGroups[k++ % gIn->bigGroups.size()];
    out.clear();
    gContent->collectGroup(g.first, g.second, 20, out);
    benchmark::DoNotOptimize(out.data());
  }
}
void BM_CollectGroup20_SQLite(benchmark::State& state, bool held) {
  Stmt q(held, "SELECT idx, id, parent, type, run, kind, value, byid FROM objects WHERE parent=? AND type=? "
         "ORDER BY idx LIMIT ?");
  size_t k = 0;
  std::vector<ObjectEntry> out;
  for (auto _ : state) {
    const auto& g = gIn->bigGroups[k++ % gIn->bigGroups.size()];
    out.clear();
    auto t = gSqlTypes->find(g.second);
    if (t == gSqlTypes->end()) continue;
    sqlite3_bind_int64(q.s, 1, g.first);
    sqlite3_bind_int64(q.s, 2, t->second);
    sqlite3_bind_int64(q.s, 3, 20);
    while (sqlite3_step(q.s) == SQLITE_ROW) {
      out.emplace_back();
      sqlEntry(q.s, out.back());
    }
    sqlite3_reset(q.s);
    benchmark::DoNotOptimize(out.data());
  }
}

// --- readString ---

void BM_ReadString_Content(benchmark::State& state) {
  size_t k = 0;
  for (auto _ : state) {
    std::u16string s = gContent->readString(gIn->strings[k++ % kInputs]);
    benchmark::DoNotOptimize(s.data());
  }
}
void BM_ReadString_SQLite(benchmark::State& state, bool held) {
  Stmt q(held, "SELECT text FROM strings WHERE num=?");
  size_t k = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(q.s, 1, gIn->strings[k++ % kInputs]);
    std::u16string s;
    if (sqlite3_step(q.s) == SQLITE_ROW) {
      auto* p = static_cast<const char16_t*>(sqlite3_column_text16(q.s, 0));
      s.assign(p, size_t(sqlite3_column_bytes16(q.s, 0)) / 2);
    }
    sqlite3_reset(q.s);
    benchmark::DoNotOptimize(s.data());
  }
}

// Collects the time per operation of every run for the closing table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(::isatty(1) ? OO_Defaults : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions the median stands for the benchmark; without, its one run.
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const double ns = r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        perOpNs_[name] = ns;
        medians_.insert(name);
      } else if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !medians_.count(name)) {
        perOpNs_[name] = ns;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    // The baseline is SQLite as an application would use it by default
    // (autocommit); SQLite holding one read transaction open is shown beside it.
    std::printf("\n%-16s %13s %13s %9s %13s %9s\n", "operation", "content (ns)", "SQLite (ns)", "ratio",
                "SQLite txn", "ratio");
    for (const char* op : {"Open", "ReadEntry", "FindById", "FindGroup", "CollectGroup20", "ReadString"}) {
      const std::string prefix = std::string("BM_") + op;
      auto a = perOpNs_.find(prefix + "_Content");
      auto b = perOpNs_.find(prefix + "_SQLite");
      if (b == perOpNs_.end()) b = perOpNs_.find(prefix + "_SQLite/autocommit");
      auto c = perOpNs_.find(prefix + "_SQLite/held_txn");
      if (a == perOpNs_.end() || b == perOpNs_.end()) continue;
      std::printf("%-16s %13.1f %13.1f %8.3fx", op, a->second, b->second, a->second / b->second);
      if (c != perOpNs_.end()) std::printf(" %13.1f %8.3fx", c->second, a->second / c->second);
      std::printf("%s\n", a->second <= b->second ? "" : "  (slower than SQLite)");
      // The same search without the sampled fences, measured in this run.
      auto d = perOpNs_.find(prefix + "_ContentNoFence");
      if (d != perOpNs_.end()) {
        std::printf("%-16s %13.1f %13s %8.3fx", (std::string(op) + " no fence").c_str(), d->second, "",
                    d->second / b->second);
        if (c != perOpNs_.end()) std::printf(" %13s %8.3fx", "", d->second / c->second);
        std::printf("   fence speed-up %.2fx\n", d->second / a->second);
      }
    }
    const long growth = gOpenMemory.after - gOpenMemory.before;
    const double limit = double(gOpenMemory.tables) / 1024.0 + 2048.0;
    std::printf("\nobjects %u, first open %.2f ms (goal < 20 ms), RSS growth at open %ld KiB, tables %.1f KiB, "
                "limit %.1f KiB: %s\n",
                gContent->objectCount(), gOpenMemory.openMs, growth, double(gOpenMemory.tables) / 1024.0, limit,
                double(growth) <= limit ? "within" : "OVER");
  }

 private:
  std::map<std::string, double> perOpNs_;
  std::set<std::string> medians_;
};

}  // namespace

BENCHMARK(BM_Open_Content)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Open_ContentNoFence)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Open_SQLite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadEntry_Content);
BENCHMARK_CAPTURE(BM_ReadEntry_SQLite, autocommit, false);
BENCHMARK_CAPTURE(BM_ReadEntry_SQLite, held_txn, true);
BENCHMARK(BM_FindById_Content);
BENCHMARK(BM_FindById_ContentNoFence);
BENCHMARK_CAPTURE(BM_FindById_SQLite, autocommit, false);
BENCHMARK_CAPTURE(BM_FindById_SQLite, held_txn, true);
BENCHMARK(BM_FindGroup_Content);
BENCHMARK(BM_FindGroup_ContentNoFence);
BENCHMARK_CAPTURE(BM_FindGroup_SQLite, autocommit, false);
BENCHMARK_CAPTURE(BM_FindGroup_SQLite, held_txn, true);
BENCHMARK(BM_CollectGroup20_Content);
BENCHMARK_CAPTURE(BM_CollectGroup20_SQLite, autocommit, false);
BENCHMARK_CAPTURE(BM_CollectGroup20_SQLite, held_txn, true);
BENCHMARK(BM_ReadString_Content);
BENCHMARK_CAPTURE(BM_ReadString_SQLite, autocommit, false);
BENCHMARK_CAPTURE(BM_ReadString_SQLite, held_txn, true);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!ensureCache()) {
    std::cerr << "bench_content: could not build the benchmark data in " << cacheDir() << "\n";
    return 1;
  }
  if (!setUp()) {
    std::cerr << "bench_content: could not open the benchmark data in " << cacheDir() << "\n";
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
