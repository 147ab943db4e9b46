// The full-text index on a small guide of our own: what is found where, the
// spelling suggestion, and the index's life as derived data (stale, damaged,
// read-only guide folder, cancelled build).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>
#include <unistd.h>
#include <string>

#include "TempFolder.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/search/SearchDocuments.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchPage.h"
#include "core/viewers/ViewerRegistry.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using H = ContentWriter::Handle;

// A temporary folder (made writable again before it is removed).
struct Temp : test::TempFolder {
  Temp() : TempFolder("vantrel-search") {}
};

H text(ContentWriter& w, H parent, std::u16string type, std::u16string t) {
  const H h = w.add(parent, std::move(type));
  w.setText(h, std::move(t));
  return h;
}

// A guide with one page of every kind the index reads:
//   html table "Clinical Notes": "Sepsis" (mentions vancomycin, infections)
//   tight crt table "Spectrum": Drugs [Zorbacillin: cells], Organisms [Staph]
//   footnote with a word found nowhere else; a popup
//   INDEX entry "Vancomycin" with a menu item
//   Abbreviations with "MIC"
//   tight hierarchy "Monographs": entry "Gentamicin" with fields
//   decision tree with a question and a result
//   image with caption and note
struct SmallGuide {
  explicit SmallGuide(uint16_t edition = 1) {
    ContentWriter w(u"guide");
    w.setEdition(edition, 0, 20260101);
    const H notes = text(w, 0, u"table", u"Clinical Notes");
    text(w, notes, u"table type", u"html");
    sepsis = text(w, notes, u"hierarchy item", u"Sepsis");
    text(w, sepsis, u"html",
         u"<p>Give <b>vancomycin</b> early when MRSA infections are likely.</p><p>Review&nbsp;daily.</p>");
    other = text(w, notes, u"hierarchy item", u"Hand hygiene");
    text(w, other, u"html", u"<p>Wash hands before and after every patient.</p>");

    const H crt = text(w, 0, u"table", u"Spectrum");
    text(w, crt, u"table type", u"tight crt");
    drugs = text(w, crt, u"hierarchy item", u"Drugs");
    const H zorba = text(w, drugs, u"hierarchy item", u"Zorbacillin");
    text(w, zorba, u"field", u"<b>quixotically</b> active");
    const H orgs = text(w, crt, u"hierarchy item", u"Organisms");
    text(w, orgs, u"hierarchy item", u"Staphylococcus");

    const H fns = text(w, 0, u"table", u"Footnotes");
    footnote = text(w, fns, u"footnote", u"Watch for thrombocytopenia after two weeks.");
    popup = text(w, fns, u"popup", u"<b>MIC</b>: minimum inhibitory concentration");

    const H index = text(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    indexEntry = text(w, index, u"hierarchy item", u"Vancomycin");
    const H link = text(w, indexEntry, u"hierarchy item", u"Vancomycin dosing");
    w.setLink(w.add(link, u"link"), sepsis);

    abbreviations = text(w, 0, u"table", u"Abbreviations");
    w.setName(abbreviations, u"Abbreviations");
    const H mic = text(w, abbreviations, u"hierarchy item", u"MIC");
    text(w, mic, u"field", u"Minimum inhibitory concentration of a drug");

    const H mono = text(w, 0, u"table", u"Monographs");
    text(w, mono, u"table type", u"tight hierarchy");
    text(w, mono, u"field name", u"Adult dose");
    text(w, mono, u"field name", u"Monitoring");
    gentamicin = text(w, mono, u"hierarchy item", u"Gentamicin");
    text(w, gentamicin, u"field", u"5 mg/kg once daily");
    text(w, gentamicin, u"field", u"Trough levels and nephrotoxicity");

    const H tree = text(w, 0, u"table", u"Exposure");
    text(w, tree, u"table type", u"decision tree");
    question = text(w, tree, u"question", u"Was the needle hollow-bore?");
    text(w, question, u"answer", u"Yes");
    result = text(w, tree, u"result", u"Start prophylaxis within hours");

    const H figures = text(w, 0, u"table", u"Figures");
    image = text(w, figures, u"image", u"Figure 1. Serum concentration curve");
    text(w, image, u"note", u"Peaks follow each infusion");

    std::string error;
    base = dir.path() + "/Qd07-Qd07";
    EXPECT_TRUE(w.write(base, &error)) << error;
    EXPECT_TRUE(db.open(base));
    for (H* h : {&sepsis, &other, &drugs, &footnote, &popup, &indexEntry, &abbreviations, &gentamicin, &question,
                 &result, &image})
      *h = w.indexOf(*h);
  }

  Temp dir;
  std::string base;
  ContentDatabase db;
  H sepsis, other, drugs, footnote, popup, indexEntry, abbreviations, gentamicin, question, result, image;
};

TEST(SearchDocuments, OneDocumentPerPageWithKindAndPlainText) {
  SmallGuide g;
  std::map<ObjectIndex, SearchDocument> docs;
  ASSERT_TRUE(extractDocuments(g.db, viewerKinds(), [&](SearchDocument&& d) {
    const ObjectIndex o = d.object;
    docs.emplace(o, std::move(d));
  }));
  ASSERT_TRUE(docs.count(g.sepsis));
  EXPECT_EQ(docs[g.sepsis].kind, "page");
  EXPECT_EQ(docs[g.sepsis].title, "Sepsis");
  // Block tags separate words, inline ones do not, entities are decoded.
  EXPECT_EQ(docs[g.sepsis].text, "Give vancomycin early when MRSA infections are likely. Review daily.");
  EXPECT_EQ(docs[g.drugs].kind, "table");
  EXPECT_NE(docs[g.drugs].text.find("quixotically active"), std::string::npos);
  EXPECT_NE(docs[g.drugs].text.find("Staphylococcus"), std::string::npos);
  EXPECT_EQ(docs[g.footnote].kind, "footnote");
  EXPECT_EQ(docs[g.popup].kind, "popup");
  EXPECT_EQ(docs[g.popup].title, "MIC: minimum inhibitory concentration");
  EXPECT_EQ(docs[g.indexEntry].kind, "index");
  EXPECT_NE(docs[g.indexEntry].text.find("Vancomycin dosing"), std::string::npos);
  // An abbreviation opens the abbreviations list.
  EXPECT_EQ(docs[g.abbreviations].kind, "abbreviation");
  EXPECT_EQ(docs[g.abbreviations].title, "MIC");
  EXPECT_EQ(docs[g.gentamicin].kind, "entry");
  EXPECT_NE(docs[g.gentamicin].text.find("Monitoring"), std::string::npos);
  EXPECT_NE(docs[g.gentamicin].text.find("nephrotoxicity"), std::string::npos);
  EXPECT_EQ(docs[g.question].kind, "question");
  EXPECT_EQ(docs[g.result].kind, "result");
  EXPECT_EQ(docs[g.image].kind, "image");
  EXPECT_EQ(docs[g.image].text, "Peaks follow each infusion");
}

// The viewers decide which objects are pages: every document opens an
// object some viewer shows, and a viewer left out takes its pages along.
TEST(SearchDocuments, PagesAreTheViewersOwn) {
  SmallGuide g;
  std::multiset<std::string> kinds;
  ASSERT_TRUE(extractDocuments(g.db, viewerKinds(), [&](SearchDocument&& d) {
    EXPECT_NE(viewerKinds().showing(g.db, d.object), nullptr) << d.kind << " " << d.object;
    kinds.insert(d.kind);
  }));
  // Both arrangements of the table (by drug, by organism) have a page per item.
  EXPECT_EQ(kinds, (std::multiset<std::string>{"page", "page", "table", "table", "table", "table", "footnote", "popup",
                                               "index", "abbreviation", "entry", "question", "result", "image"}));
  ViewerKinds withoutHtml;
  for (const ViewerKind* k : viewerKinds().inOfferingOrder())
    if (k->name != "html") withoutHtml.add(*k);
  kinds.clear();
  ASSERT_TRUE(extractDocuments(g.db, withoutHtml, [&](SearchDocument&& d) { kinds.insert(d.kind); }));
  EXPECT_EQ(kinds, (std::multiset<std::string>{"table", "table", "table", "table", "footnote", "popup", "index",
                                               "abbreviation", "entry", "image"}));
}

TEST(SearchDocuments, PlainTextAndTitles) {
  EXPECT_EQ(plainTextOf(u"a<br>b &lt;c&gt; &#65;&#x42; &bogus; <unclosed"), u"a b <c> AB &bogus; <unclosed");
  EXPECT_EQ(plainTextOf(u"  <p> x </p>  "), u"x");
  EXPECT_EQ(shortTitle(u"short"), "short");
  const std::string cut = shortTitle(u"one two three four five six seven eight nine ten", 20);
  EXPECT_EQ(cut, "one two three four\u2026");
}

class Indexed : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = cache.path() + "/idx";
    std::string error;
    ASSERT_TRUE(buildIndex(g.db, viewerKinds(), folder, {}, nullptr, &error)) << error;
    ASSERT_TRUE(index.open(folder, editionKey(g.db)));
  }
  std::vector<ObjectIndex> objects(const SearchAnswer& a) {
    std::vector<ObjectIndex> out;
    for (const auto& h : a.hits) out.push_back(h.object);
    return out;
  }
  SmallGuide g;
  Temp cache;
  std::string folder;
  SearchIndex index;
};

TEST_F(Indexed, FindsWordsWhereverThePageKeepsThem) {
  // A drug name typed exactly: the page and the index entry, nothing else.
  SearchAnswer a = index.search("vancomycin");
  ASSERT_GE(a.hits.size(), 2u);
  EXPECT_FALSE(a.corrected);
  EXPECT_EQ(a.total, a.hits.size());
  auto found = objects(a);
  EXPECT_NE(std::find(found.begin(), found.end(), g.sepsis), found.end());
  EXPECT_NE(std::find(found.begin(), found.end(), g.indexEntry), found.end());
  EXPECT_NE(a.hits[0].snippet.find("<b>"), std::string::npos);

  // Another inflection finds the page by its stem.
  EXPECT_EQ(objects(index.search("infection")), std::vector<ObjectIndex>{g.sepsis});
  // Only in a table cell; only in a footnote; only in a field; a caption's note.
  // The cell shows in both arrangements of the table (by drug and by organism).
  SearchAnswer cell = index.search("quixotically");
  ASSERT_EQ(cell.hits.size(), 2u);
  EXPECT_EQ(cell.hits[0].kind, "table");
  EXPECT_EQ(cell.hits[1].kind, "table");
  found = objects(cell);
  EXPECT_NE(std::find(found.begin(), found.end(), g.drugs), found.end());
  SearchAnswer fn = index.search("thrombocytopenia");
  EXPECT_EQ(objects(fn), std::vector<ObjectIndex>{g.footnote});
  EXPECT_EQ(fn.hits[0].kind, "footnote");
  EXPECT_EQ(fn.hits[0].snippet, "Watch for <b>thrombocytopenia</b> after two weeks.");
  EXPECT_EQ(objects(index.search("nephrotoxicity")), std::vector<ObjectIndex>{g.gentamicin});
  EXPECT_EQ(objects(index.search("infusion")), std::vector<ObjectIndex>{g.image});
  // Every word must match; the last one may be a prefix while typing.
  EXPECT_EQ(objects(index.search("mrsa vanco")), std::vector<ObjectIndex>{g.sepsis});
  // A word still being typed is not taken for a misspelling.
  EXPECT_FALSE(index.search("mrsa vanco").corrected);
  EXPECT_FALSE(index.search("nephro").corrected);
  EXPECT_TRUE(index.search("mrsa hygiene").hits.empty());
}

TEST_F(Indexed, MisspellingIsCorrectedAndItsResultsShown) {
  SearchAnswer a = index.search("vancomicin");
  ASSERT_TRUE(a.corrected);
  EXPECT_EQ(*a.corrected, "vancomycin");
  EXPECT_TRUE(a.usedCorrection);
  auto found = objects(a);
  EXPECT_NE(std::find(found.begin(), found.end(), g.sepsis), found.end());

  SearchAnswer two = index.search("thrombocytopenai weeks");
  ASSERT_TRUE(two.corrected);
  EXPECT_EQ(*two.corrected, "thrombocytopenia weeks");
  EXPECT_EQ(objects(two), std::vector<ObjectIndex>{g.footnote});
}

TEST_F(Indexed, NothingFoundAndOddInputAreAnswersNotFailures) {
  SearchAnswer none = index.search("xylophone");
  EXPECT_EQ(none.total, 0u);
  EXPECT_TRUE(none.hits.empty());
  EXPECT_FALSE(none.failed);
  for (const char* odd : {"", "   ", "\"", "AND", "((", "-", "vanco*\"(", "\xff\xfe"}) {
    SearchAnswer a = index.search(odd);
    EXPECT_FALSE(a.failed) << odd;
  }
}

TEST(SearchIndexLife, StaleDamagedAndMissingAreRebuiltNeverTrusted) {
  SmallGuide first(1);
  SmallGuide second(2);  // the next edition
  Temp cache;
  const std::string folder = cache.path() + "/" + indexName(first.db);
  EXPECT_EQ(checkIndex(folder, editionKey(first.db)), IndexState::Missing);
  ASSERT_TRUE(buildIndex(first.db, viewerKinds(), folder));
  EXPECT_EQ(checkIndex(folder, editionKey(first.db)), IndexState::Ready);
  // Another edition names another folder, and this one is stale for it.
  EXPECT_NE(indexName(first.db), indexName(second.db));
  EXPECT_EQ(checkIndex(folder, editionKey(second.db)), IndexState::Stale);
  SearchIndex index;
  EXPECT_FALSE(index.open(folder, editionKey(second.db)));

  // Damage every file of the index: it is reported, never opened.
  for (const auto& f : fs::directory_iterator(folder)) {
    std::fstream s(f.path(), std::ios::in | std::ios::out | std::ios::binary);
    s.seekp(0);
    s << std::string(64, 'X');
  }
  EXPECT_EQ(checkIndex(folder, editionKey(first.db)), IndexState::Damaged);
  EXPECT_FALSE(index.open(folder, editionKey(first.db)));
  // A plain file where the folder should be.
  const std::string file = cache.path() + "/file";
  std::ofstream(file) << "x";
  EXPECT_EQ(checkIndex(file, editionKey(first.db)), IndexState::Damaged);

  // Rebuilding over the damaged folder gives a working index.
  ASSERT_TRUE(buildIndex(first.db, viewerKinds(), folder));
  ASSERT_TRUE(index.open(folder, editionKey(first.db)));
  EXPECT_FALSE(index.search("vancomycin").hits.empty());
}

TEST(SearchIndexLife, ReadOnlyGuideFolderUsesTheCacheAndBesideIndexWins) {
  SmallGuide g;
  Temp cache;
  // Nothing beside the guide: the cache folder, not yet built.
  IndexLocation loc = locateIndex(g.db, g.dir.path(), cache.path());
  EXPECT_FALSE(loc.ready);
  EXPECT_EQ(loc.folder, cache.path() + "/" + indexName(g.db));
  fs::permissions(g.dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  ASSERT_TRUE(buildIndex(g.db, viewerKinds(), loc.folder));
  EXPECT_TRUE(locateIndex(g.db, g.dir.path(), cache.path()).ready);
  // Writing beside a read-only guide fails cleanly and leaves nothing behind.
  if (::geteuid() != 0) {
    std::string error;
    EXPECT_FALSE(buildIndex(g.db, viewerKinds(), besideGuideFolder(g.dir.path()), {}, nullptr, &error));
    EXPECT_FALSE(error.empty());
  }
  fs::permissions(g.dir.path(), fs::perms::owner_all);
  // An index built ahead of time beside the guide is preferred when it matches.
  ASSERT_TRUE(buildIndex(g.db, viewerKinds(), besideGuideFolder(g.dir.path())));
  loc = locateIndex(g.db, g.dir.path(), cache.path());
  EXPECT_TRUE(loc.ready);
  EXPECT_EQ(loc.folder, besideGuideFolder(g.dir.path()));
}

TEST(SearchIndexLife, CancelledBuildLeavesThePreviousIndex) {
  SmallGuide g;
  Temp cache;
  const std::string folder = cache.path() + "/idx";
  ASSERT_TRUE(buildIndex(g.db, viewerKinds(), folder));
  std::atomic<bool> cancel{true};
  std::string error;
  EXPECT_FALSE(buildIndex(g.db, viewerKinds(), folder, {}, &cancel, &error));
  EXPECT_EQ(error, "cancelled");
  EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Ready);
  // No temporary folders are left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(cache.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(Indexed, QuotedPhrasesAndHyphenatedWordsAreAnswered) {
  // The words must all be there; the index keeps no word order.
  EXPECT_EQ(objects(index.search("\"hand hygiene\"")), std::vector<ObjectIndex>{g.other});
  EXPECT_EQ(objects(index.search("hollow-bore")), std::vector<ObjectIndex>{g.question});
  EXPECT_FALSE(index.search("\"hygiene hand\" wash").failed);
  // A word of the title and a word of the text together.
  EXPECT_EQ(objects(index.search("sepsis vancomycin")), std::vector<ObjectIndex>{g.sepsis});
}

// Footnotes of the given texts, in order.
struct Notes {
  explicit Notes(std::initializer_list<const char16_t*> texts) {
    ContentWriter w(u"guide");
    const H table = text(w, 0, u"table", u"Notes");
    std::vector<H> handles;
    for (const char16_t* t : texts) handles.push_back(text(w, table, u"footnote", t));
    std::string error;
    EXPECT_TRUE(w.write(dir.path() + "/Qd07-Qd07", &error)) << error;
    EXPECT_TRUE(db.open(dir.path() + "/Qd07-Qd07"));
    for (H h : handles) notes.push_back(w.indexOf(h));
  }
  Temp dir;
  ContentDatabase db;
  std::vector<ObjectIndex> notes;
};

// The index keeps the stems of the words only; the word being typed and the
// spelling suggestions go by the words as the guide writes them.
TEST(SearchIndexWords, StemsAreIndexedAndTypingAndSuggestionsReadTheWordsAsWritten) {
  Notes g({u"Infections were treated early", u"Wounds infected after surgery", u"Catheter care on the ward",
           u"A cat scratch on the hand", u"Studies of drainage", u"Give 250mg twice"});
  Temp cache;
  const std::string folder = cache.path() + "/idx";
  ASSERT_TRUE(buildIndex(g.db, viewerKinds(), folder));
  SearchIndex index;
  ASSERT_TRUE(index.open(folder, editionKey(g.db)));
  auto found = [&](const std::string& query) {
    std::set<ObjectIndex> out;
    for (const SearchHit& h : index.search(query).hits) out.insert(h.object);
    return out;
  };
  const std::set<ObjectIndex> infection{g.notes[0], g.notes[1]};
  // Every inflection, typed whole or followed by more words, finds the
  // pages of its stem.
  EXPECT_EQ(found("infect "), infection);
  EXPECT_EQ(found("infecting"), infection);
  EXPECT_EQ(found("infections were"), std::set<ObjectIndex>{g.notes[0]});
  // A word still being typed may run past the stem of the word it begins
  // ("infectio" of "infections", "studie" of "studies", stems "infect" and
  // "studi").
  EXPECT_EQ(found("infectio"), infection);
  EXPECT_EQ(found("studie"), std::set<ObjectIndex>{g.notes[4]});
  EXPECT_EQ(found("250m"), std::set<ObjectIndex>{g.notes[5]});
  EXPECT_FALSE(index.search("infectio").corrected);
  // Before a word, after one, or excluded with "-".
  EXPECT_EQ(found("wounds infe"), std::set<ObjectIndex>{g.notes[1]});
  EXPECT_EQ(found("infected -surg"), std::set<ObjectIndex>{g.notes[0]});
  // A page holding the whole word typed comes before one holding a longer
  // word that begins with it.
  const SearchAnswer cat = index.search("cat");
  ASSERT_EQ(cat.hits.size(), 2u);
  EXPECT_EQ(cat.hits[0].object, g.notes[3]);
  EXPECT_EQ(cat.hits[1].object, g.notes[2]);
  // A snippet marks every inflection of the word found.
  std::map<ObjectIndex, std::string> snippets;
  for (const SearchHit& h : index.search("infection ").hits) snippets[h.object] = h.snippet;
  EXPECT_EQ(snippets[g.notes[0]], "<b>Infections</b> were treated early");
  EXPECT_EQ(snippets[g.notes[1]], "Wounds <b>infected</b> after surgery");
  // A suggestion is a word of the guide, never a stem.
  const SearchAnswer typo = index.search("infectoins");
  ASSERT_TRUE(typo.corrected);
  EXPECT_EQ(*typo.corrected, "infections");
  const SearchAnswer typo2 = index.search("studeis of");
  ASSERT_TRUE(typo2.corrected);
  EXPECT_EQ(*typo2.corrected, "studies of");
  EXPECT_EQ(found("studeis of"), std::set<ObjectIndex>{g.notes[4]});
}

// A guide of many footnotes, each a few words of a small vocabulary: more
// documents than one batch of the build holds, and not a whole number of
// batches.
struct ManyNotes {
  explicit ManyNotes(int count) {
    ContentWriter w(u"guide");
    const H notes = text(w, 0, u"table", u"Notes");
    const char16_t* words[] = {u"alpha", u"bravo", u"charlie", u"delta", u"echo", u"foxtrot", u"golf"};
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
      std::u16string note;
      std::set<int> used;
      for (int k = 0; k < 3; ++k) {
        seed = seed * 1103515245u + 12345u;
        const int wi = static_cast<int>((seed >> 16) % 7);
        used.insert(wi);
        note += words[wi];
        note += u' ';
      }
      note += u"note" + fromUtf8(std::to_string(i));
      for (int wi : used) ++holding[toUtf8(words[wi])];
      text(w, notes, u"footnote", note);
    }
    std::string error;
    EXPECT_TRUE(w.write(dir.path() + "/Qd07-Qd07", &error)) << error;
    EXPECT_TRUE(db.open(dir.path() + "/Qd07-Qd07"));
  }
  Temp dir;
  ContentDatabase db;
  std::map<std::string, uint32_t> holding;  // word -> footnotes holding it
};

TEST(SearchIndexBuild, EveryDocumentIsIndexedAcrossBatches) {
  ManyNotes g(1777);
  Temp cache;
  const std::string folder = cache.path() + "/idx";
  IndexBuildStats stats;
  uint64_t lastDone = 0, reports = 0;
  bool ordered = true;
  ASSERT_TRUE(buildIndex(
      g.db, viewerKinds(), folder,
      [&](uint64_t done, uint64_t total) {
        ordered = ordered && done >= lastDone && done <= total;
        lastDone = done;
        ++reports;
      },
      nullptr, nullptr, &stats));
  EXPECT_TRUE(ordered);
  EXPECT_GT(reports, 1u);
  EXPECT_EQ(lastDone, g.db.objectCount());
  EXPECT_EQ(stats.documents, 1777u);
  SearchIndex index;
  ASSERT_TRUE(index.open(folder, editionKey(g.db)));
  EXPECT_EQ(index.documentCount(), 1777u);
  for (const auto& [word, count] : g.holding) EXPECT_EQ(index.search(word, 2000).hits.size(), count) << word;
  // The first, a middle and the last note, each found by its own word.
  for (int i : {0, 512, 1023, 1776}) EXPECT_EQ(index.search("note" + std::to_string(i)).hits.size(), 1u) << i;
  // A misspelling of a word of the guide is still corrected.
  SearchAnswer a = index.search("foxtrat");
  ASSERT_TRUE(a.corrected);
  EXPECT_EQ(*a.corrected, "foxtrot");
}

TEST(SearchIndexBuild, CancelMidwayStopsAndLeavesNothing) {
  ManyNotes g(3000);
  Temp cache;
  const std::string folder = cache.path() + "/idx";
  std::atomic<bool> cancel{false};
  std::string error;
  EXPECT_FALSE(buildIndex(
      g.db, viewerKinds(), folder, [&](uint64_t done, uint64_t) { if (done > 0) cancel = true; }, &cancel, &error));
  EXPECT_EQ(error, "cancelled");
  EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Missing);
  EXPECT_TRUE(fs::is_empty(cache.path()));
}

TEST(SearchIndexBuild, LeftoversOfDeadBuildsGoAndConcurrentBuildsAllSucceed) {
  SmallGuide g;
  Temp cache;
  const std::string folder = cache.path() + "/idx";
  // What a reader killed while building left behind, and a build of a
  // process that still runs (our parent).
  const std::string dead = folder + ".building-2147480000-0";
  const std::string deadOld = folder + ".old-2147480001";
  const std::string live = folder + ".building-" + std::to_string(::getppid()) + "-0";
  for (const std::string& f : {dead, deadOld, live}) fs::create_directories(f + "/sub");
  ASSERT_TRUE(buildIndex(g.db, viewerKinds(), folder));
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(deadOld));
  EXPECT_TRUE(fs::exists(live));
  fs::remove_all(live);
  fs::remove_all(folder);

  // Readers of the same guide building at once: each ends with the index
  // in place, none reports a failure.
  std::vector<std::thread> builders;
  std::atomic<int> built{0};
  std::vector<std::string> errors(3);
  for (int i = 0; i < 3; ++i)
    builders.emplace_back([&, i] {
      if (buildIndex(g.db, viewerKinds(), folder, {}, nullptr, &errors[i])) ++built;
    });
  for (auto& t : builders) t.join();
  EXPECT_EQ(built.load(), 3) << errors[0] << errors[1] << errors[2];
  EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Ready);
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(cache.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(SearchPage, ResultsPageSaysWhatHappened) {
  SearchAnswer a;
  a.query = "x<y";
  EXPECT_NE(searchResultsPage(a, false).find(kBuildingText), std::u16string::npos);
  // Nothing found says so, with the query escaped.
  EXPECT_NE(searchResultsPage(a, true).find(u"No pages match \u201cx&lt;y\u201d"), std::u16string::npos);
  a.corrected = "xy";
  a.usedCorrection = true;
  a.hits.push_back({42, "A & B", "footnote", "the <b>xy</b> word", 1.0});
  const std::u16string page = searchResultsPage(a, true);
  EXPECT_NE(page.find(u"Did you mean <a href=\"corrected\"><b>xy</b></a>?"), std::u16string::npos);
  EXPECT_NE(page.find(u"<a href=\"42\">A &amp; B</a> <small>(Footnote)</small><br>the <b>xy</b> word"),
            std::u16string::npos);
  // The page data carries the query and nothing else.
  const std::vector<uint8_t> data = searchPageData("sepsis shock");
  EXPECT_EQ(queryFromPageData(data.data(), data.size()), "sepsis shock");
  EXPECT_EQ(queryFromPageData(nullptr, 0), "");
}

}  // namespace
}  // namespace vantrel
