#include "core/viewers/ViewerRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

std::vector<std::string> names(const std::vector<const ViewerKind*>& kinds) {
  std::vector<std::string> out;
  for (const ViewerKind* k : kinds) out.push_back(k->name);
  return out;
}

// The orders decide which viewer shows what and which window is made or torn
// down first; the registrations live in their subsystems, so they are pinned here.
TEST(ViewerRegistry, EveryViewerIsRegisteredInItsThreeOrders) {
  const ViewerKinds& kinds = viewerKinds();
  EXPECT_EQ(names(kinds.inCreationOrder()),
            (std::vector<std::string>{"chrome", "index", "contents", "tightHierarchy", "html", "image", "calculator",
                                      "key", "dual", "table", "home", "footnotes", "search"}));
  EXPECT_EQ(names(kinds.inOfferingOrder()),
            (std::vector<std::string>{"footnotes", "chrome", "index", "contents", "tightHierarchy", "html", "image",
                                      "calculator", "key", "dual", "table", "home", "search"}));
  EXPECT_EQ(names(kinds.inDestructionOrder()),
            (std::vector<std::string>{"chrome", "contents", "tightHierarchy", "html", "index", "image", "calculator",
                                      "dual", "table", "home", "key", "footnotes", "search"}));
  EXPECT_EQ(kinds.find("html")->name, "html");
  EXPECT_EQ(kinds.find("nothing"), nullptr);
}

TEST(ViewerRegistry, ANameRegisteredTwiceKeepsOneEntryAndEqualRanksKeepTheirOrder) {
  ViewerKinds kinds;
  kinds.add({"a", 2, 1, 0, nullptr});
  kinds.add({"b", 1, 1, 0, nullptr});
  kinds.add({"a", 0, 1, 0, nullptr});
  EXPECT_EQ(kinds.size(), 2u);
  EXPECT_EQ(names(kinds.inCreationOrder()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(names(kinds.inOfferingOrder()), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace vantrel
