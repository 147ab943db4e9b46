// Swapping editions under running requests, and what /healthz answers.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "core/serve/EditionHolder.h"
#include "core/serve/Health.h"

namespace vantrel::serve {
namespace {

namespace fs = std::filesystem;

// A stand-in edition: its number twice, so a reader can see whether it ever
// looks at a half-made or freed one.
struct FakeEdition {
  explicit FakeEdition(int n) : a(n), b(n) {}
  int a, b;
};

struct Opener {
  std::atomic<int> next{1};
  std::atomic<bool> fail{false};
  EditionHolder<FakeEdition>::Opener fn() {
    return [this](std::string& why) -> std::shared_ptr<const FakeEdition> {
      if (fail) {
        why = "damaged";
        return nullptr;
      }
      return std::make_shared<FakeEdition>(next++);
    };
  }
};

TEST(EditionHolder, RequestsInFlightKeepTheOldEdition) {
  Opener opener;
  EditionHolder<FakeEdition> holder(opener.fn());
  EXPECT_EQ(holder.current(), nullptr);
  std::string why;
  ASSERT_TRUE(holder.open(why));
  std::shared_ptr<const FakeEdition> inFlight = holder.current();  // a request that started before the reload
  std::weak_ptr<const FakeEdition> watch = inFlight;
  ASSERT_TRUE(holder.reload(why));
  EXPECT_EQ(inFlight->a, 1);                                        // still answers from edition 1
  EXPECT_EQ(holder.current()->a, 2);                                // new requests get edition 2
  EXPECT_FALSE(watch.expired());
  inFlight.reset();
  EXPECT_TRUE(watch.expired());  // freed with the last request that used it
}

TEST(EditionHolder, AFailedReloadKeepsServingAndTriesAgain) {
  Opener opener;
  EditionHolder<FakeEdition> holder(opener.fn());
  std::string why;
  opener.fail = true;
  EXPECT_FALSE(holder.open(why));
  EXPECT_EQ(why, "damaged");
  EXPECT_EQ(holder.current(), nullptr);
  opener.fail = false;
  ASSERT_TRUE(holder.open(why));
  EXPECT_EQ(holder.problem(), "");

  opener.fail = true;
  why.clear();
  EXPECT_FALSE(holder.reload(why));
  EXPECT_EQ(why, "damaged");
  EXPECT_EQ(holder.problem(), "damaged");
  ASSERT_NE(holder.current(), nullptr);
  EXPECT_EQ(holder.current()->a, 1);

  opener.fail = false;  // the next SIGHUP, after the edition was mended
  EXPECT_TRUE(holder.reload(why));
  EXPECT_EQ(holder.problem(), "");
  EXPECT_EQ(holder.current()->a, 2);
}

TEST(EditionHolder, ReadersNeverSeeAHalfSwappedEdition) {
  Opener opener;
  EditionHolder<FakeEdition> holder(opener.fn());
  std::string why;
  ASSERT_TRUE(holder.open(why));
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      int last = 0;
      while (!stop) {
        const auto e = holder.current();
        if (!e || e->a != e->b || e->a < last) ++bad;  // editions only move forward
        if (e) last = e->a;
      }
    });
  }
  std::thread second([&] {
    std::string w;
    for (int i = 0; i < 300; ++i) holder.reload(w);
  });
  for (int i = 0; i < 300; ++i) holder.reload(why);
  second.join();
  stop = true;
  for (auto& r : readers) r.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(holder.current()->a, 601);
}

nlohmann::json body(const HealthAnswer& a) { return nlohmann::json::parse(a.body); }

TEST(Health, OkDegradedAndUnavailable) {
  HealthState s;
  s.open = true;
  s.edition = "e1";
  s.objects = 40;
  HealthAnswer a = healthAnswer(s);
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(body(a), nlohmann::json({{"status", "ok"}, {"edition", "e1"}, {"objects", 40}}));

  s.reloadProblem = "no valid content database in /g: \"bad\" stamp";
  a = healthAnswer(s);
  EXPECT_EQ(a.status, 200);  // still serving the old edition
  EXPECT_EQ(body(a)["status"], "degraded");
  EXPECT_EQ(body(a)["edition"], "e1");
  EXPECT_NE(body(a)["reason"].get<std::string>().find("\"bad\" stamp"), std::string::npos);

  s.fileProblem = "/g/x-Data.pdb: No such file or directory";
  a = healthAnswer(s);
  EXPECT_EQ(a.status, 503);
  EXPECT_EQ(body(a)["status"], "unavailable");
  EXPECT_EQ(body(a)["reason"], "/g/x-Data.pdb: No such file or directory");

  s.draining = true;  // draining wins: the balancer must take the server out
  a = healthAnswer(s);
  EXPECT_EQ(a.status, 503);
  EXPECT_NE(body(a)["reason"].get<std::string>().find("draining"), std::string::npos);

  a = healthAnswer(HealthState{});
  EXPECT_EQ(a.status, 503);
  EXPECT_TRUE(body(a)["edition"].is_null());
}

TEST(Health, UnreadableFilesAreNamed) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-health-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder");
  std::ofstream(dir / "good") << "x";
  std::ofstream(dir / "empty");
  EXPECT_EQ(unreadableFiles({(dir / "good").string()}), "");
  const std::string why =
      unreadableFiles({(dir / "good").string(), (dir / "gone").string(), (dir / "folder").string(),
                       (dir / "empty").string()});
  EXPECT_EQ(why.find("good"), std::string::npos);
  EXPECT_NE(why.find("gone: No such file"), std::string::npos) << why;
  EXPECT_NE(why.find("folder: not a file"), std::string::npos) << why;
  EXPECT_NE(why.find("empty: cannot be read"), std::string::npos) << why;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel::serve
