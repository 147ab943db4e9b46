#include <gtest/gtest.h>

#include <string>

#include "GuideFixture.h"
#include "core/html/HtmlDialogModel.h"
#include "core/html/HtmlViewerModel.h"
#include "core/page/PageSource.h"
#include "core/html/PageSources.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::u16string dec(ObjectIndex i) {
  std::u16string s;
  appendDecimal(s, i);
  return s;
}

// root "guide"
//   table "Index" (INDEX): "Entry" with items into T, T, T, U, U, T, a loose
//     object, one item without a link; "Empty entry" without items
//   table "Drugs T", table "Renal U" with items
//   table "index" (lower case) with an item
//   table "Notes" (table type "html"): items with and without an "html" child
//   table "Spec" (table type "tight crt"): a "field" key and an item
//   a hierarchy item outside any table
class Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    const H index = addText(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    const H tableT = addText(w, 0, u"table", u"Drugs <i>T</i>");
    const H tableU = addText(w, 0, u"table", u"Renal U");
    const H lower = addText(w, 0, u"table", u"index");
    const H notes = addText(w, 0, u"table", u"Notes");
    addText(w, notes, u"table type", u"html");
    const H spec = addText(w, 0, u"table", u"Spec");
    addText(w, spec, u"table type", u"tight crt");
    loose = addText(w, 0, u"hierarchy item", u"Loose page");

    H t[3], u[2];
    for (int i = 0; i < 3; ++i) t[i] = addText(w, tableT, u"hierarchy item", u"t" + std::u16string(1, u'1' + i));
    for (int i = 0; i < 2; ++i) u[i] = addText(w, tableU, u"hierarchy item", u"u" + std::u16string(1, u'1' + i));
    lowerItem = addText(w, lower, u"hierarchy item", u"lower item");

    entry = addText(w, index, u"hierarchy item", u"Entry & <b>bold</b>");
    const H targets[] = {t[0], t[1], t[2], u[0], u[1], t[2]};
    for (int i = 0; i < 6; ++i) {
      const H item = addText(w, entry, u"hierarchy item", u"item" + std::u16string(1, u'0' + i));
      addLink(w, item, targets[i]);
    }
    const H toLoose = addText(w, entry, u"hierarchy item", u"to loose");
    addLink(w, toLoose, loose);
    addText(w, entry, u"hierarchy item", u"no link");
    emptyEntry = addText(w, index, u"hierarchy item", u"Empty entry");

    note1 = addText(w, notes, u"hierarchy item", u"note one");
    addText(w, note1, u"html", u"<p>Hello</p>");
    addText(w, note1, u"html", u"<p>second html child</p>");
    note2 = addText(w, notes, u"hierarchy item", u"own text");
    note3 = w.add(notes, u"hierarchy item");
    w.setNumber(note3, 7);

    key = addText(w, spec, u"field", u"Key: <b>S</b> susceptible");
    specItem = addText(w, spec, u"hierarchy item", u"row");

    ASSERT_TRUE(guide.open(w));
    auto idx = [&](H h) { return w.indexOf(h); };
    for (int i = 0; i < 3; ++i) tIdx[i] = idx(t[i]);
    for (int i = 0; i < 2; ++i) uIdx[i] = idx(u[i]);
    index_ = idx(index), tableTIdx = idx(tableT), tableUIdx = idx(tableU);
    loose = idx(loose), lowerItem = idx(lowerItem), entry = idx(entry), emptyEntry = idx(emptyEntry);
    note1 = idx(note1), note2 = idx(note2), note3 = idx(note3), key = idx(key), specItem = idx(specItem);
    notesIdx = idx(notes), specIdx = idx(spec), lowerIdx = idx(lower);
  }

  GuideFile guide;
  ObjectIndex tIdx[3]{}, uIdx[2]{};
  ObjectIndex index_ = 0, tableTIdx = 0, tableUIdx = 0, loose = 0, lowerItem = 0, entry = 0, emptyEntry = 0;
  ObjectIndex note1 = 0, note2 = 0, note3 = 0, key = 0, specItem = 0, notesIdx = 0, specIdx = 0, lowerIdx = 0;
};

}  // namespace

TEST_F(Pages, MenuHeadingsEachTimeTheTableChanges) {
  MenuPage menu(guide.db);
  auto li = [&](ObjectIndex target, const char16_t* label) {
    return u"<LI><A HREF=\"" + dec(target) + u"\">" + label + u"</A></LI>";
  };
  const std::u16string headT = u"</MENU><B>Drugs <i>T</i></B><br><MENU>";
  const std::u16string headU = u"</MENU><B>Renal U</B><br><MENU>";
  const std::u16string expected = u"<HTML><BODY><FONT FACE='PPC_font2'>" + headT + li(tIdx[0], u"item0") +
                                  li(tIdx[1], u"item1") + li(tIdx[2], u"item2") + headU + li(uIdx[0], u"item3") +
                                  li(uIdx[1], u"item4") + headT + li(tIdx[2], u"item5") +
                                  u"</MENU><B>Loose page</B><br><MENU>" + li(loose, u"to loose") +
                                  li(0, u"no link") + u"</MENU></FONT></BODY></HTML>";
  EXPECT_EQ(u8(menu.pageText(entry)), u8(expected));
  EXPECT_EQ(u8(menu.pageTitle(entry)), "Entry & <b>bold</b>");
  EXPECT_EQ(u8(menu.pageText(emptyEntry)), "<HTML><BODY><FONT FACE='PPC_font2'></MENU></FONT></BODY></HTML>");
  // A page-key object past the table has no items.
  EXPECT_EQ(u8(menu.pageText(guide.db.objectCount() + 4)),
            "<HTML><BODY><FONT FACE='PPC_font2'></MENU></FONT></BODY></HTML>");
}

TEST_F(Pages, ObjectTextPage) {
  ObjectTextPage own(guide.db);
  ObjectTextPage html(guide.db, u"html");
  const std::string open = "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>", close = "</FONT></BODY></HTML>";
  EXPECT_EQ(u8(html.pageText(note1)), open + "<p>Hello</p>" + close);  // the first "html" child
  EXPECT_EQ(u8(own.pageText(note1)), open + "note one" + close);
  EXPECT_EQ(u8(html.pageText(note2)), open + "own text" + close);      // no "html" child: own text
  EXPECT_EQ(u8(html.pageText(note3)), open + close);                   // a number has no text
  EXPECT_EQ(u8(html.pageText(guide.db.objectCount())), open + close);  // a page key
  EXPECT_EQ(own.inlineImage(u"x.png", 5), (InlineImage{1133, 0, 0, 0, 0}));
}

TEST_F(Pages, FixedTextAndTableHelp) {
  FixedTextPage fixed(guide.db);
  EXPECT_EQ(fixed.pageText(3), u"");
  fixed.setText(u"<b>any</b>\u00E9");
  EXPECT_EQ(fixed.pageText(0), u"<b>any</b>\u00E9");
  EXPECT_EQ(fixed.pageText(99999), u"<b>any</b>\u00E9");

  const std::u16string& help = tableHelpText();
  EXPECT_EQ(help.size(), 1224u);
  EXPECT_EQ(std::count(help.begin(), help.end(), u'"'), 12);
  EXPECT_EQ(std::count(help.begin(), help.end(), u'\u00A7'), 2);
  EXPECT_EQ(u8(help.substr(0, 70)), "<br><br><b>How to use this table</b><br><br><b>Restore</b><br>The \"Res");
  EXPECT_EQ(u8(help.substr(help.size() - 37)), "column heading separated by a \"/\"<br>");
  TableHelpPage page(guide.db);
  const std::u16string text = page.pageText(key);
  EXPECT_EQ(u8(text), "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>Key: <b>S</b> susceptible" + u8(help) +
                          "</FONT></BODY></HTML>");
}

TEST(LinkTargets, ParsedAsTheHtmlPaneReadsThem) {
  LinkTarget l = parseLinkTarget(u"1234#top");
  EXPECT_TRUE(l.follow);
  EXPECT_EQ(l.object, 1234u);
  EXPECT_EQ(l.anchor, u"top");
  l = parseLinkTarget(u"abc");
  EXPECT_TRUE(l.follow);
  EXPECT_EQ(l.object, 0u);
  EXPECT_EQ(l.anchor, u"");
  l = parseLinkTarget(u"12");
  EXPECT_EQ(l.object, 12u);
  EXPECT_EQ(l.anchor, u"");
  l = parseLinkTarget(u"12#a#b");
  EXPECT_EQ(l.anchor, u"a#b");
  l = parseLinkTarget(u"http://example.org/12#x");
  EXPECT_FALSE(l.follow);
  EXPECT_EQ(l.object, 0u);  // read all the same, for the dialog
  EXPECT_EQ(l.anchor, u"x");
  EXPECT_FALSE(parseLinkTarget(u"https://example.org").follow);
  EXPECT_FALSE(parseLinkTarget(u"http").follow);
  EXPECT_FALSE(parseLinkTarget(u"").follow);
  EXPECT_TRUE(parseLinkTarget(u"HTTP://x").follow);  // only the lower-case prefix is a web address
  EXPECT_TRUE(parseLinkTarget(u"htt").follow);
  EXPECT_EQ(parseLinkTarget(u"4294967295").object, 4294967295u);
  EXPECT_EQ(parseLinkTarget(u"4294967296").object, 0xFFFFFFFFu);  // too large: no object
  EXPECT_EQ(parseLinkTarget(u"99999999999999999999999999#x").object, 0xFFFFFFFFu);
  EXPECT_EQ(u8(dialogDocument(u"<b>x</b>")), "<HTML><BODY><FONT FACE='PPC_Font2'><b>x</b></FONT></BODY></FONT>");
}

TEST_F(Pages, SelectionRules) {
  const HtmlPageKeys keys = HtmlPageKeys::fromDatabase(guide.db);
  EXPECT_EQ(keys.index, index_);
  EXPECT_EQ(keys.calcResult, guide.db.objectCount());
  auto sel = [&](ObjectIndex o) { return selectHtmlPage(guide.db, keys, o); };

  HtmlSelection s = sel(note1);
  EXPECT_EQ(s.source, HtmlSourceKind::html);
  EXPECT_EQ(u8(s.title), "Notes");
  EXPECT_EQ(sel(notesIdx).source, HtmlSourceKind::html);  // the html table itself

  s = sel(entry);
  EXPECT_EQ(s.source, HtmlSourceKind::menu);
  EXPECT_EQ(u8(s.title), "Entry & <b>bold</b>");
  EXPECT_EQ(sel(index_).source, HtmlSourceKind::none);   // the index object itself
  EXPECT_EQ(sel(lowerItem).source, HtmlSourceKind::none);  // "index" in lower case
  EXPECT_EQ(sel(lowerIdx).source, HtmlSourceKind::none);

  s = sel(keys.calcResult);
  EXPECT_EQ(s.source, HtmlSourceKind::results);
  EXPECT_EQ(u8(s.title), "Creatinine Clearance (CrCl) Calculator - results");
  EXPECT_EQ(sel(keys.calcResult + 1).source, HtmlSourceKind::none);  // another page key

  s = sel(key);
  EXPECT_EQ(s.source, HtmlSourceKind::tableHelp);
  EXPECT_EQ(u8(s.title), "Spec");
  EXPECT_EQ(sel(specItem).source, HtmlSourceKind::none);  // "tight crt" but not a "field"
  EXPECT_EQ(sel(specIdx).source, HtmlSourceKind::none);
  EXPECT_EQ(sel(tIdx[0]).source, HtmlSourceKind::none);
  EXPECT_EQ(sel(loose).source, HtmlSourceKind::none);
  EXPECT_EQ(sel(0).source, HtmlSourceKind::none);

  EXPECT_EQ(htmlSourceName(HtmlSourceKind::decisionTree), "decisionTree");
  EXPECT_EQ(htmlSourceName(HtmlSourceKind::tableHelp), "tableHelp");
  EXPECT_EQ(htmlSourceName(HtmlSourceKind::none), "");
}

TEST_F(Pages, ViewerModelShowsAndNavigates) {
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  EXPECT_FALSE(viewer.hasPageToLoad());
  EXPECT_FALSE(viewer.show(tIdx[0]));
  EXPECT_EQ(viewer.currentSource(), HtmlSourceKind::none);

  ASSERT_TRUE(viewer.show(entry));
  EXPECT_EQ(viewer.currentSource(), HtmlSourceKind::menu);
  EXPECT_FALSE(viewer.showsRestartBar());
  EXPECT_EQ(viewer.pageText(), MenuPage(guide.db).pageText(entry));
  HtmlNavigation next = viewer.linkTapped(tIdx[1]);
  EXPECT_EQ(next.object, tIdx[1]);
  EXPECT_TRUE(next.data.empty());

  // A refused object leaves the page as it was.
  EXPECT_FALSE(viewer.show(loose));
  EXPECT_EQ(viewer.currentSource(), HtmlSourceKind::menu);
  EXPECT_EQ(viewer.objectToShow(), entry);

  ASSERT_TRUE(viewer.show(note1));
  EXPECT_EQ(u8(viewer.pageText()), "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'><p>Hello</p></FONT></BODY></HTML>");
  EXPECT_EQ(u8(viewer.title()), "Notes");

  // The results page from its 12 bytes of page data; without them, zeros.
  const std::vector<uint8_t> data = encodeCrClResult(CrClResult{95.5f, 60.0f, 61.0f});
  ASSERT_TRUE(viewer.show(viewer.keys().calcResult, data.data(), data.size()));
  EXPECT_NE(u8(viewer.pageText()).find("Within normal limits: 95.50ml/min"), std::string::npos);
  ASSERT_TRUE(viewer.show(viewer.keys().calcResult));
  EXPECT_NE(u8(viewer.pageText()).find("0.00ml/min. Abnormal level."), std::string::npos);
  EXPECT_EQ(viewer.anchor(), u"");
}

TEST_F(Pages, KeysFromThePageKeyTable) {
  PageKeys keys;
  keys.build(guide.db.objectCount(), [&](std::u16string_view name) { return guide.db.objectByName(name); });
  const HtmlPageKeys fromTable = HtmlPageKeys::fromPageKeys(keys);
  const HtmlPageKeys fromDb = HtmlPageKeys::fromDatabase(guide.db);
  EXPECT_EQ(fromTable.index, fromDb.index);
  EXPECT_EQ(fromTable.calcResult, fromDb.calcResult);
  EXPECT_EQ(fromTable.index, index_);
}

TEST(HtmlDialog, OpensOnceAndAnswersTheTappedLink) {
  HtmlDialogModel dialog;
  ASSERT_TRUE(dialog.begin(u"Footnote", u"See <a href=\"12#sec\">this</a>"));
  EXPECT_EQ(u8(dialog.document()),
            "<HTML><BODY><FONT FACE='PPC_Font2'>See <a href=\"12#sec\">this</a></FONT></BODY></FONT>");
  EXPECT_FALSE(dialog.begin(u"Again", u"x"));  // already open: the caller answers -1
  EXPECT_EQ(u8(dialog.title()), "Footnote");
  dialog.linkTapped(u"12#sec");
  EXPECT_EQ(dialog.finish(), 12);
  EXPECT_EQ(u8(dialog.anchorName()), "sec");
  EXPECT_FALSE(dialog.busy());

  ASSERT_TRUE(dialog.begin(u"t", u""));
  EXPECT_EQ(dialog.anchorName(), u"");
  dialog.linkTapped(u"12");
  EXPECT_EQ(dialog.finish(), 12);
  EXPECT_EQ(dialog.anchorName(), u"");
  ASSERT_TRUE(dialog.begin(u"t", u""));
  EXPECT_EQ(dialog.finish(), -1);  // confirmed without a link

  const DialogRect main{10, 20, 240, 320};
  EXPECT_EQ(placeHtmlDialog(DialogRect{}, main), main);
  EXPECT_EQ(placeHtmlDialog(DialogRect{0, 0, 200, 0}, main), main);
  EXPECT_EQ(placeHtmlDialog(DialogRect{500, 500, 200, 100}, main), (DialogRect{30, 130, 200, 100}));
}
