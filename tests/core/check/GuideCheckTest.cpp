// The guide checker on small written guides: a sound guide passes, and each
// kind of damage is found on the object that carries it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TempFolder.h"
#include "../html/GuideFixture.h"
#include "core/check/GuideCheck.h"

namespace vantrel {
namespace {

using test::addLink;
using test::addText;
using H = ContentWriter::Handle;

// A temporary folder a guide is written into (the checker opens it itself).
class GuideDir : public test::TempFolder {
 public:
  GuideDir() : TempFolder("vantrel-check") {}
  bool write(const ContentWriter& w) {
    std::string error;
    if (!w.write(base(), &error)) ADD_FAILURE() << "write: " << error;
    return error.empty();
  }
};

// A guide every viewer is happy with, and the handles a test damages.
struct SmallGuide {
  ContentWriter w;
  H toc = 0, index = 0, key = 0, pages = 0, about = 0, table = 0, regimen = 0, drugs = 0, dual = 0, upper = 0, lower = 0;
  std::vector<H> indexEntries, drugRows, upperItems, lowerItems;

  SmallGuide() {
    // The contents: a table titled "Contents" named TOC.
    toc = addText(w, 0, u"table", u"Contents");
    w.setName(toc, u"TOC");
    H chapter = addText(w, toc, u"hierarchy item", u"Chapter");
    // HTML pages: the about pages and the two dosage pages.
    pages = addText(w, 0, u"table", u"Pages");
    addText(w, pages, u"table type", u"html");
    const char16_t* names[] = {u"AboutVantrelGuide", u"AboutKORVAX", u"LegitimacyNotice", u"DOSAGE_CRCL_BAD",
                               u"DOSAGE_CRCL_OK"};
    for (const char16_t* name : names) {
      H page = addText(w, pages, u"hierarchy item", name);
      addText(w, page, u"html", u"<p>Text of the page</p>");
      w.setName(page, name);
      if (!about) about = page;
    }
    // A tight crt table shown from "Regimen": its leaves are the columns,
    // the drugs the rows, and each column leaf holds one field per row.
    table = addText(w, 0, u"table", u"Doses");
    addText(w, table, u"table type", u"tight crt");
    regimen = addText(w, table, u"hierarchy item", u"Regimen");
    for (const char16_t* c : {u"Adult", u"Child"}) {
      H column = addText(w, regimen, u"hierarchy item", c);
      for (int r = 0; r < 3; ++r) addText(w, column, u"field", u"10 mg");
    }
    drugs = addText(w, table, u"hierarchy item", u"Drug");
    for (const char16_t* d : {u"Alpha", u"Beta", u"Gamma"}) drugRows.push_back(addText(w, drugs, u"hierarchy item", d));
    addLink(w, chapter, regimen);
    // A dual list whose entries name each other.
    dual = addText(w, 0, u"table", u"Names");
    addText(w, dual, u"table type", u"dual list");
    upper = addText(w, dual, u"list", u"Brand");
    lower = addText(w, dual, u"list", u"Generic");
    for (int i = 0; i < 2; ++i) {
      upperItems.push_back(addText(w, upper, u"item", i ? u"Bravo" : u"Alder"));
      lowerItems.push_back(addText(w, lower, u"item", i ? u"bravomycin" : u"aldermycin"));
    }
    for (int i = 0; i < 2; ++i) {
      addLink(w, upperItems[i], lowerItems[i]);
      addLink(w, lowerItems[i], upperItems[i]);
    }
    addLink(w, chapter, dual);
    // The index, sorted, each entry leading to a page; the abbreviations key.
    index = addText(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    for (const char16_t* e : {u"<b>alpha</b>", u"Beta", u"gamma"}) {
      H entry = addText(w, index, u"hierarchy item", e);
      addLink(w, entry, about);
      indexEntries.push_back(entry);
    }
    key = addText(w, 0, u"table", u"Abbreviations");
    w.setName(key, u"Abbreviations");
    H abbr = addText(w, key, u"hierarchy item", u"bid");
    addText(w, abbr, u"field", u"twice a day, see <a href=\"" + std::u16string(u"http://example.org") + u"\">web</a>");
  }

  CheckReport check(const std::function<bool(const uint8_t*, size_t)>& decode = {}) {
    if (!guide.write(w)) return {};
    CheckOptions options;
    options.decodeImage = decode;
    return checkGuide(guide.base(), options);
  }

  GuideDir guide;
};

std::vector<const CheckProblem*> problemsOf(const CheckReport& r, const std::string& kind) {
  std::vector<const CheckProblem*> out;
  for (const CheckProblem& p : r.problems)
    if (p.kind == kind) out.push_back(&p);
  return out;
}

std::string listing(const CheckReport& r) {
  std::string s;
  for (const CheckProblem& p : r.problems)
    s += p.kind + " @" + std::to_string(p.object) + " " + p.type + " " + p.path + ": " + p.message + "\n";
  return s;
}

TEST(GuideCheck, ASoundGuidePasses) {
  SmallGuide g;
  const CheckReport r = g.check();
  EXPECT_TRUE(r.ok()) << listing(r);
  EXPECT_EQ(r.warnings, 0u) << listing(r);
  EXPECT_GT(r.checked.at("links"), 5u);
}

TEST(GuideCheck, MissingFilesAndPageKeysAreErrors) {
  GuideDir empty;
  const CheckReport none = checkGuide(empty.base());
  EXPECT_FALSE(none.ok());
  EXPECT_EQ(problemsOf(none, checkkind::kFiles).size(), 3u);

  ContentWriter w;
  addText(w, 0, u"table", u"Nothing");
  GuideDir file;
  ASSERT_TRUE(file.write(w));
  const CheckReport r = checkGuide(file.base());
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(problemsOf(r, checkkind::kPageKey).size(), 8u) << listing(r);
}

TEST(GuideCheck, LinksPastTheEndAndToObjectsNoViewerShows) {
  SmallGuide g;
  // A link field whose object number lies past the table, and markup links
  // to an unshown object and past the end; a web address is not a problem.
  H chapter = addText(g.w, g.toc, u"hierarchy item", u"Broken");
  H past = g.w.add(chapter, u"link");
  H lone = addText(g.w, 0, u"note", u"No viewer shows me");
  g.w.setNumber(past, 999999, u"object");
  H cell = g.drugRows[0];
  H field = addText(g.w, cell, u"note", u"x");
  (void)field;
  addText(g.w, g.key, u"hierarchy item", u"qid");
  const ObjectIndex loneIndex = g.w.indexOf(lone);
  H text = addText(g.w, g.index, u"hierarchy item", u"zeta <a href=\"" + std::u16string(u"4000000") +
                                                       u"\">far</a> <a href='" +
                                                       fromUtf8(std::to_string(loneIndex)) + u"#x'>lone</a>");
  const CheckReport r = g.check();
  EXPECT_FALSE(r.ok());
  auto pastEnd = problemsOf(r, checkkind::kLinkPastEnd);
  ASSERT_EQ(pastEnd.size(), 2u) << listing(r);
  if (pastEnd[0]->object != g.w.indexOf(past)) std::swap(pastEnd[0], pastEnd[1]);
  EXPECT_EQ(pastEnd[0]->object, g.w.indexOf(past));
  EXPECT_EQ(pastEnd[0]->type, "link");
  EXPECT_EQ(pastEnd[0]->path, "Contents / Broken / [link]");
  EXPECT_EQ(pastEnd[1]->object, g.w.indexOf(text));
  EXPECT_EQ(pastEnd[1]->type, "hierarchy item");
  const auto unshown = problemsOf(r, checkkind::kLinkNotShown);
  ASSERT_EQ(unshown.size(), 1u) << listing(r);
  EXPECT_EQ(unshown[0]->object, g.w.indexOf(text));
  EXPECT_NE(unshown[0]->message.find("no viewer shows"), std::string::npos);
}

TEST(GuideCheck, LinksAreFollowedWhateverTheirValueKindIsCalled) {
  // Links that carry other kind names, as other tools write them: their
  // targets are what the reader follows, so the guide passes.
  SmallGuide g;
  const char16_t* kinds[] = {u"number", u"ref", u"objref"};
  size_t n = 0;
  std::vector<H> links;
  H chapter = addText(g.w, g.toc, u"hierarchy item", u"More");
  for (H target : {g.regimen, g.dual, g.about}) links.push_back(addLink(g.w, chapter, target));
  for (H l : links) g.w.setKind(l, kinds[n++ % 3]);
  CheckReport r = g.check();
  EXPECT_TRUE(r.ok()) << listing(r);
  EXPECT_EQ(r.warnings, 0u) << listing(r);

  // The kind does not hide a broken target; a string-kind link is a warning
  // and its number is still checked as an object.
  SmallGuide bad;
  H broken = bad.w.add(addText(bad.w, bad.toc, u"hierarchy item", u"Broken"), u"link");
  bad.w.setNumber(broken, 999999, u"ref");
  H unshown = addLink(bad.w, addText(bad.w, bad.toc, u"hierarchy item", u"Unshown"),
                      addText(bad.w, 0, u"note", u"No viewer shows me"));
  bad.w.setKind(unshown, u"number");
  H text = addLink(bad.w, addText(bad.w, bad.toc, u"hierarchy item", u"Text"), bad.about);
  bad.w.setKind(text, u"string");
  r = bad.check();
  EXPECT_FALSE(r.ok());
  const auto pastEnd = problemsOf(r, checkkind::kLinkPastEnd);
  ASSERT_EQ(pastEnd.size(), 1u) << listing(r);
  EXPECT_EQ(pastEnd[0]->object, bad.w.indexOf(broken));
  const auto notShown = problemsOf(r, checkkind::kLinkNotShown);
  ASSERT_EQ(notShown.size(), 1u) << listing(r);
  EXPECT_EQ(notShown[0]->object, bad.w.indexOf(unshown));
  const auto kind = problemsOf(r, checkkind::kLinkKind);
  ASSERT_EQ(kind.size(), 1u) << listing(r);
  EXPECT_EQ(kind[0]->object, bad.w.indexOf(text));
  EXPECT_EQ(kind[0]->severity, CheckSeverity::Warning);
}

TEST(GuideCheck, ATableRowWithoutAFieldForEveryColumn) {
  SmallGuide g;
  H column = addText(g.w, g.regimen, u"hierarchy item", u"Elder");
  addText(g.w, column, u"field", u"1 mg");  // one of three rows
  addText(g.w, column, u"field", u"2 mg");
  const CheckReport r = g.check();
  const auto fields = problemsOf(r, checkkind::kTableField);
  ASSERT_EQ(fields.size(), 1u) << listing(r);
  EXPECT_EQ(fields[0]->object, g.w.indexOf(column));
  EXPECT_EQ(fields[0]->path, "Doses / Regimen / Elder");
  EXPECT_NE(fields[0]->message.find("1 of 3 rows (first: \"Gamma\")"), std::string::npos) << fields[0]->message;
  EXPECT_FALSE(r.ok());
}

TEST(GuideCheck, ListsOutOfOrderAreFoundAtTheEntryTheSearchMisses) {
  SmallGuide g;
  // "ant" after "gamma": a search for "ant" cannot land on it. Tags do not
  // count in the index, but they do in the key.
  H late = addText(g.w, g.index, u"hierarchy item", u"ant");
  addText(g.w, g.key, u"hierarchy item", u"<b>zz</b>");
  const CheckReport r = g.check();
  const auto index = problemsOf(r, checkkind::kIndexOrder);
  ASSERT_EQ(index.size(), 1u) << listing(r);
  EXPECT_EQ(index[0]->object, g.w.indexOf(late));
  EXPECT_EQ(problemsOf(r, checkkind::kKeyOrder).size(), 1u) << listing(r);  // "<b>zz" < "bid" as stored
}

TEST(GuideCheck, DualListEntriesWithoutCounterparts) {
  SmallGuide g;
  H lonely = addText(g.w, g.upper, u"item", u"Charlie");
  H wrong = addText(g.w, g.lower, u"item", u"charliemycin");
  addLink(g.w, wrong, g.lowerItems[0]);  // its own list, not the other one
  const CheckReport r = g.check();
  const auto dual = problemsOf(r, checkkind::kDualCounterpart);
  ASSERT_EQ(dual.size(), 2u) << listing(r);
  EXPECT_EQ(dual[0]->object, g.w.indexOf(lonely));
  EXPECT_NE(dual[0]->message.find("no link"), std::string::npos);
  EXPECT_EQ(dual[1]->object, g.w.indexOf(wrong));
}

std::vector<uint8_t> blobOf(const std::vector<std::vector<uint8_t>>& variants) {
  std::vector<uint8_t> blob{uint8_t(variants.size())};
  uint32_t offset = 1 + 11 * uint32_t(variants.size());
  for (const auto& v : variants) {
    const uint8_t d[11] = {0, 0, 0, 240, 1, 64, 0, uint8_t(offset >> 24), uint8_t(offset >> 16),
                           uint8_t(offset >> 8), uint8_t(offset)};
    blob.insert(blob.end(), d, d + 11);
    offset += uint32_t(v.size());
  }
  for (const auto& v : variants) blob.insert(blob.end(), v.begin(), v.end());
  return blob;
}

TEST(GuideCheck, PicturesThatDoNotDecodeOrAreCutShort) {
  SmallGuide g;
  H pictures = addText(g.w, g.toc, u"hierarchy item", u"Pictures");
  H good = addText(g.w, pictures, u"image", u"Good");
  g.w.setBlob(good, blobOf({{'O', 'K'}, {'O', 'K', '!'}}));
  H bad = addText(g.w, pictures, u"image", u"Bad");
  g.w.setBlob(bad, blobOf({{'O', 'K'}, {'N', 'O'}}));
  H empty = addText(g.w, pictures, u"image", u"Empty");
  g.w.setBlob(empty, {});
  const CheckReport r = g.check([](const uint8_t* b, size_t n) { return n >= 2 && b[0] == 'O'; });
  const auto images = problemsOf(r, checkkind::kImage);
  ASSERT_EQ(images.size(), 2u) << listing(r);
  EXPECT_EQ(images[0]->object, g.w.indexOf(bad));
  EXPECT_NE(images[0]->message.find("variant 1"), std::string::npos);
  EXPECT_EQ(images[1]->object, g.w.indexOf(empty));
  EXPECT_EQ(r.checked.at("image variants"), 4u);
}

TEST(GuideCheck, DecisionTreeAnswersMustReachRecommendedResults) {
  SmallGuide g;
  H tree = addText(g.w, 0, u"table", u"PEP");
  addText(g.w, tree, u"table type", u"decision tree");
  H q1 = addText(g.w, tree, u"question", u"Exposure?");
  H q2 = addText(g.w, tree, u"question", u"Status?");
  H results = addText(g.w, tree, u"results", u"Codes");
  H ec1 = addText(g.w, results, u"result", u"EC 1");
  H sc1 = addText(g.w, results, u"result", u"SC 1");
  H sc2 = addText(g.w, results, u"result", u"SC 2");
  addLink(g.w, addText(g.w, q1, u"answer", u"Needle"), ec1);
  addLink(g.w, addText(g.w, q2, u"answer", u"Negative"), sc1);
  addLink(g.w, addText(g.w, q2, u"answer", u"Positive"), sc2);
  H dangling = addText(g.w, q2, u"answer", u"Unknown");
  H version = addText(g.w, tree, u"version", u"Basic regimen");
  addLink(g.w, version, ec1);
  addLink(g.w, version, sc1);
  addLink(g.w, addText(g.w, g.toc, u"hierarchy item", u"PEP"), tree);
  const CheckReport r = g.check();
  const auto dt = problemsOf(r, checkkind::kDecisionTree);
  ASSERT_EQ(dt.size(), 2u) << listing(r);
  EXPECT_EQ(dt[0]->object, g.w.indexOf(dangling));
  EXPECT_EQ(dt[1]->object, g.w.indexOf(tree));
  EXPECT_NE(dt[1]->message.find("SC 2"), std::string::npos);
}

TEST(GuideCheck, OrphansAreWarningsAtTheTopOfWhatNothingReaches) {
  SmallGuide g;
  H lost = addText(g.w, 0, u"table", u"Forgotten");
  addText(g.w, lost, u"table type", u"html");
  H inside = addText(g.w, lost, u"hierarchy item", u"Page");
  addText(g.w, inside, u"html", u"<p>never linked</p>");
  const CheckReport r = g.check();
  const auto orphans = problemsOf(r, checkkind::kOrphan);
  ASSERT_EQ(orphans.size(), 1u) << listing(r);
  EXPECT_EQ(orphans[0]->object, g.w.indexOf(lost));
  EXPECT_EQ(orphans[0]->severity, CheckSeverity::Warning);
  EXPECT_TRUE(r.ok());
}

TEST(GuideCheck, MarkupLinkTargets) {
  EXPECT_EQ(markupLinkTargets(u"<a href=\"12#x\">a</a> <A HREF='7'>b</A> <a  href = 9>c</a>"),
            (std::vector<std::u16string>{u"12#x", u"7", u"9"}));
  EXPECT_TRUE(markupLinkTargets(u"<abbr href=\"1\"> <b>x</b> <a name=\"y\">").empty());
  EXPECT_EQ(markupLinkTargets(u"<a name=\"q\" href=\"3\">"), std::vector<std::u16string>{u"3"});
}

}  // namespace
}  // namespace vantrel
