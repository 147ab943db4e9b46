#include "core/tables/MarkupMenuModel.h"

#include <gtest/gtest.h>

#include "core/platform/ScreenInfo.h"
#include "core/platform/FixedMetricsSurface.h"

namespace vantrel {
namespace {

// With the test surface's guide font at 96 dpi every character is 8 px wide.
struct MenuRig {
  FixedMetricsSurface surface;
  MarkupMenuModel model{96, 96};
  MenuRig() { surface.useFont(guideFontDescription(96)); }
  void fill(std::vector<Item> items) { model.fill(VectorItemSource(std::move(items)), surface); }
};

TEST(MarkupMenuModel, UpperCaseLinkTagsAreRemovedLowerCaseStay) {
  MenuRig r;
  r.fill({{u"<A HREF=\"12\">Chapter 3</A>", 0}, {u"<a href=\"12\">x</a>", 1}, {u"<font color=\"red\">Red</font> text", 2}});
  EXPECT_EQ(r.model.markup(0), u"Chapter 3</A>");
  EXPECT_EQ(r.model.markup(1), u"<a href=\"12\">x</a>");
  EXPECT_EQ(r.model.markup(2), u"Red text");
  EXPECT_EQ(r.model.plainText(0), u"Chapter 3");

  // Drawn: "Chapter 3" in black, the lower-case link in the link colour.
  r.model.drawItem(0, r.surface, rectXYWH(0, 0, r.model.itemWidth(), r.model.itemHeight()));
  r.model.drawItem(1, r.surface, rectXYWH(0, 20, r.model.itemWidth(), r.model.itemHeight()));
  std::u16string black, link;
  for (const auto& c : r.surface.calls()) {
    if (c.kind != FixedMetricsSurface::CallKind::Text) continue;
    if (c.colour == 0x000000) black += c.text;
    if (c.colour == kLinkColour) link += c.text;
  }
  EXPECT_EQ(black, u"Chapter 3");
  EXPECT_EQ(link, u"x");
}

TEST(MarkupMenuModel, WidthIsTheWidestPlainTextUpToTheLimit) {
  MenuRig r;
  std::vector<Item> items;
  for (int i = 0; i < 10; ++i) items.push_back({u"<b>item</b> " + std::u16string(i, u'x'), uint32_t(i)});
  r.fill(items);
  EXPECT_EQ(r.model.itemWidth(), 8 * 14 + 10);  // "item xxxxxxxxx" plus the margin
  EXPECT_EQ(r.model.count(), 10u);

  r.fill({{u"short", 0}, {std::u16string(60, u'w'), 1}, {u"after", 2}});
  EXPECT_EQ(r.model.itemWidth(), 200 + 10);
  r.model.drawItem(1, r.surface, rectXYWH(0, 0, r.model.itemWidth(), r.model.itemHeight()));
  EXPECT_TRUE(r.model.truncated(1));

  MarkupMenuModel high(192, 192);
  FixedMetricsSurface s2;
  s2.useFont(guideFontDescription(192));
  high.fill(VectorItemSource({{std::u16string(60, u'w'), 0}}), s2);
  EXPECT_EQ(high.itemWidth(), 400 + 20);
}

}  // namespace
}  // namespace vantrel
