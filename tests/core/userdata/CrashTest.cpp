// Kills a process that appends, removes and closes records at random moments
// and checks, after every kill, that the pair opens whole and still holds
// every record whose append had been acknowledged (and none whose removal had
// been acknowledged), byte for byte.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "TestUtil.h"
#include "core/userdata/IndexedRecordStore.h"

namespace vantrel {
namespace {

// Record of sequence number seq: seq, length n, then n bytes derived from seq.
std::string makeRecord(uint32_t seq) {
  std::mt19937 gen(seq);
  const uint32_t n = 1 + gen() % 3000;
  std::string r;
  appendLe32(r, seq);
  appendLe32(r, n);
  for (uint32_t i = 0; i < n; ++i) r += static_cast<char>(gen());
  return r;
}

void say(int fd, const std::string& line) {
  const std::string l = line + "\n";
  (void)!::write(fd, l.data(), l.size());
}

[[noreturn]] void child(const std::string& index, const std::string& data, uint32_t base, int fd) {
  std::mt19937 gen(base);
  uint32_t next = base;
  IndexedRecordStore store;
  for (;;) {
    store.openStore(index, data);
    if (store.broken()) _exit(3);
    for (int step = 0; step < 12; ++step) {
      const uint32_t roll = gen() % 10;
      if (roll < 6 || store.recordCount() < 3) {
        const std::string r = makeRecord(next);
        say(fd, "P A " + std::to_string(next));
        if (store.appendRecord(r.data(), static_cast<uint32_t>(r.size())) != 0) _exit(4);
        say(fd, "A " + std::to_string(next));
        ++next;
      } else {
        const uint32_t i = gen() % store.recordCount();
        const uint32_t last = (gen() % 4 == 0 && i + 1 < store.recordCount()) ? i + 1 : i;
        std::string seqs;
        for (uint32_t k = i; k <= last; ++k) {
          unsigned char head[4];
          store.readRecord(k, head, 0, 4);
          seqs += " " + std::to_string(readLe32(head));
        }
        say(fd, "P D" + seqs);
        if (store.deleteRecords(i, last) != 0) _exit(5);
        say(fd, "D" + seqs);
      }
    }
    say(fd, "P C");
    if (store.closeStore() != 0) _exit(6);
    say(fd, "C");
  }
}

std::string drain(int fd) {
  std::string all;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    all.append(buf, static_cast<size_t>(n));
  }
  return all;
}

TEST(RecordStoreCrash, KilledAtRandomMomentsLosesNothingAcknowledged) {
  testing::ScratchDir dir;
  const std::string index = dir / "c.vsi", data = dir / "c.vsd";
  std::set<uint32_t> present;  // what the pair must hold
  std::mt19937 gen(20261209);
  const int rounds = 300;
  int killedMidOperation = 0;
  for (int round = 0; round < rounds; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const uint32_t base = 1000000u * static_cast<uint32_t>(round + 1);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      child(index, data, base, fds[1]);
    }
    ::close(fds[1]);
    // Most rounds let the child get going first (a slow start under the
    // sanitizers would otherwise eat the whole delay); the others may also
    // hit the open and its repairs.
    std::string log;
    if (round % 4 != 0) {
      char buf[256];
      const ssize_t n = ::read(fds[0], buf, sizeof buf);
      if (n > 0) log.assign(buf, static_cast<size_t>(n));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(gen() % 20000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself with " << WEXITSTATUS(status);
    log += drain(fds[0]);
    ::close(fds[0]);

    // Replay the acknowledgements; the last operation may be half done.
    std::set<uint32_t> mayAppear, mayVanish;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::string w;
      words >> w;
      if (w == "P") {
        mayAppear.clear();
        mayVanish.clear();
        words >> w;
        uint32_t s;
        while (words >> s) (w == "A" ? mayAppear : mayVanish).insert(s);
      } else {
        uint32_t s;
        while (words >> s) {
          if (w == "A") {
            present.insert(s);
          } else {
            present.erase(s);
          }
        }
        mayAppear.clear();
        mayVanish.clear();
      }
    }
    if (!mayAppear.empty() || !mayVanish.empty()) ++killedMidOperation;

    IndexedRecordStore store;
    const StoreState state = store.openStore(index, data);
    ASSERT_TRUE(state == StoreState::opened || (state == StoreState::created && present.empty()))
        << "round " << round;
    std::set<uint32_t> found;
    for (uint32_t i = 0; i < store.recordCount(); ++i) {
      const std::string r = store.readWhole(i);
      ASSERT_GE(r.size(), 4u) << "round " << round;
      const uint32_t seq = readLe32(reinterpret_cast<const unsigned char*>(r.data()));
      ASSERT_EQ(r, makeRecord(seq)) << "record " << seq << " damaged in round " << round;
      ASSERT_TRUE(found.insert(seq).second) << "record " << seq << " twice";
    }
    for (uint32_t s : present) {
      ASSERT_TRUE(found.count(s) || mayVanish.count(s)) << "record " << s << " lost in round " << round;
    }
    for (uint32_t s : found) {
      ASSERT_TRUE(present.count(s) || mayAppear.count(s)) << "removed record " << s << " back in round " << round;
    }
    present = found;
    ASSERT_EQ(store.closeStore(), 0);
  }
  EXPECT_GT(killedMidOperation, rounds / 10);
}

}  // namespace
}  // namespace vantrel
