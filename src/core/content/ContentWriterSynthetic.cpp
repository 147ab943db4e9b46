#include "core/content/ContentWriterSynthetic.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Handle = ContentWriter::Handle;

class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return n ? uint32_t(next() % n) : 0; }
  uint32_t range(uint32_t lo, uint32_t hi) { return lo + below(hi - lo + 1); }
  bool chance(uint32_t percent) { return below(100) < percent; }

 private:
  uint64_t s_;
};

const char16_t* const kSyllables[] = {u"am", u"ox", u"ci", u"lin", u"ce", u"fa", u"zo", u"lin", u"mi", u"cro",
                                      u"va", u"ne", u"dol", u"pra", u"zi", u"tel", u"ro", u"mab", u"tri", u"sul",
                                      u"fa", u"me", u"tho", u"ga", u"ben", u"ta", u"ri", u"dor", u"xa", u"ven"};
const char16_t* const kWords[] = {
    u"dose",      u"renal",    u"adjust",    u"daily",    u"infusion", u"oral",       u"loading",   u"maintenance",
    u"clearance", u"hepatic",  u"caution",   u"monitor",  u"levels",   u"interval",   u"children",  u"adults",
    u"elderly",   u"weight",   u"tablet",    u"solution", u"every",    u"hours",      u"maximum",   u"minimum",
    u"severe",    u"mild",     u"moderate",  u"impaired", u"function", u"dialysis",   u"after",     u"before",
    u"meals",     u"avoid",    u"combined",  u"with",     u"therapy",  u"course",     u"duration",  u"prophylaxis",
    u"exposure",  u"regimen",  u"first",     u"line",     u"second",   u"alternative", u"pregnancy", u"allergy"};
const char16_t* const kUnits[] = {u"mg", u"g", u"\u00b5g", u"mg/kg", u"units", u"mL"};
const char16_t* const kFreq[] = {u"q6h", u"q8h", u"q12h", u"q24h", u"once daily", u"twice daily", u"weekly"};

class Generator {
 public:
  Generator(uint32_t total, uint64_t seed, const std::function<void(uint64_t, uint64_t)>& progress)
      : rng_(seed), total_(std::max<uint32_t>(total, 1)), progress_(progress) {
    writer_ = std::make_unique<ContentWriter>(u"root");
    writer_->setEdition(7, 1, 20071001);
    stamp(0);
  }

  std::unique_ptr<ContentWriter> run() {
    // Fixed parts first: the about page and the abbreviations, then the
    // tables (most of the guide), then the contents and the index, which
    // link into them.
    const uint32_t indexShare = total_ / 5, tocShare = total_ / 20;
    const uint32_t tablesEnd = total_ - std::min(total_ - made_, indexShare + tocShare);
    aboutPage();
    abbreviations();
    uint32_t n = 0;
    while (made_ + 3 < tablesEnd) table(n++, tablesEnd);
    contents(made_ + tocShare);
    index();
    // Whatever is left (small guides): plain notes under the root.
    while (room()) writer_->setText(add(0, u"note"), sentence(4, 10));
    return std::move(writer_);
  }

 private:
  bool room(uint32_t k = 1) const { return made_ + k <= total_; }

  Handle add(Handle parent, const char16_t* type) {
    Handle h = writer_->add(parent, type);
    ++made_;
    stamp(h);
    if (progress_ && (made_ & 0xFFFF) == 0) progress_(made_, total_);
    return h;
  }
  // Ids with small gaps, in source order, as an editor's numbering would be.
  void stamp(Handle h) {
    writer_->setId(h, nextId_);
    nextId_ += 1 + rng_.below(3);
  }

  std::u16string word() { return kWords[rng_.below(std::size(kWords))]; }
  std::u16string drug() {
    std::u16string s;
    const uint32_t n = rng_.range(2, 4);
    for (uint32_t i = 0; i < n; ++i) s += kSyllables[rng_.below(std::size(kSyllables))];
    s[0] = char16_t(s[0] - u'a' + u'A');
    return s;
  }
  std::u16string number(uint32_t max) { return toU16(std::to_string(rng_.range(1, max))); }
  static std::u16string toU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }
  std::u16string sentence(uint32_t lo, uint32_t hi) {
    std::u16string s = word();
    s[0] = char16_t(s[0] - u'a' + u'A');
    const uint32_t n = rng_.range(lo, hi);
    for (uint32_t i = 1; i < n; ++i) {
      s += u' ';
      if (rng_.chance(8)) s += u"<b>" + word() + u"</b>";
      else if (rng_.chance(4)) s += u"&ge; " + number(100);
      else s += word();
    }
    return s + u".";
  }
  std::u16string doseText() {
    std::u16string s = number(1000) + u" " + kUnits[rng_.below(std::size(kUnits))] + u" " +
                       kFreq[rng_.below(std::size(kFreq))];
    if (rng_.chance(15)) s += u"<sup>\u00a7</sup>";
    if (rng_.chance(5)) s += u"<br>" + sentence(2, 5);
    return s;
  }
  std::u16string page(uint32_t bytes) {
    std::u16string s = u"<h1>" + drug() + u"</h1>";
    while (s.size() < bytes) s += u"<p>" + sentence(8, 30) + u"</p>\n";
    return s;
  }

  void aboutPage() {
    if (!room(3)) return;
    Handle t = add(0, u"table");
    writer_->setText(t, u"About Vantrel Guide");
    writer_->setName(t, u"AboutVantrelGuide");
    writer_->setText(add(t, u"table type"), u"html");
    writer_->setText(add(t, u"html"), u"<p>Synthetic guide: demonstration data, not clinical advice.</p>");
  }

  void abbreviations() {
    if (!room(12)) return;
    Handle t = add(0, u"table");
    writer_->setText(t, u"Abbreviations");
    writer_->setName(t, u"Abbreviations");
    for (const char16_t* f : kFreq) {
      if (!room()) break;
      Handle item = add(t, u"item");
      writer_->setText(item, f);
      if (room()) writer_->setText(add(item, u"field"), u"every " + sentence(1, 3));
    }
  }

  // One table of a randomly chosen table type, within the budget `end`.
  void table(uint32_t n, uint32_t end) {
    Handle t = add(0, u"table");
    writer_->setText(t, drug() + u" " + word());
    if (n % 10 == 0) writer_->setName(t, u"TABLE_" + toU16(std::to_string(n)));
    tables_.push_back(t);
    const uint32_t pick = rng_.below(100);
    if (pick < 40) tightCrt(t, end);
    else if (pick < 60) htmlTable(t, end);
    else if (pick < 72) dualList(t, end);
    else if (pick < 86) tightHierarchy(t, end, false);
    else if (pick < 94) tightHierarchy(t, end, true);
    else if (pick < 97 && images_ < 8) image(t, end);
    else decisionTree(t, end);
  }

  void tableType(Handle t, const char16_t* type) { writer_->setText(add(t, u"table type"), type); }

  void tightCrt(Handle t, uint32_t end) {
    tableType(t, u"tight crt");
    if (made_ < end) writer_->setText(add(t, u"field"), u"Key: " + sentence(3, 8));
    const uint32_t rows = rng_.range(4, 40), cols = rng_.range(2, 8);
    std::vector<Handle> colLeaves;
    Handle colTop = made_ < end ? add(t, u"hierarchy item") : 0;
    if (colTop) writer_->setText(colTop, u"Regimen");
    for (uint32_t c = 0; c < cols && made_ < end; ++c) {
      Handle leaf = add(colTop, u"hierarchy item");
      writer_->setText(leaf, word());
      colLeaves.push_back(leaf);
    }
    Handle rowTop = made_ < end ? add(t, u"hierarchy item") : 0;
    if (rowTop) writer_->setText(rowTop, u"Drug");
    for (uint32_t r = 0; r < rows && made_ < end; ++r) {
      Handle leaf = add(rowTop, u"hierarchy item");
      writer_->setText(leaf, drug());
      targets_.push_back(leaf);
      for (uint32_t c = 0; c < cols && made_ < end; ++c) writer_->setText(add(leaf, u"field"), doseText());
    }
    if (rng_.chance(30) && made_ + 4 < end) footnotes(t);
  }

  void footnotes(Handle t) {
    Handle f = add(t, u"footnotes");
    const uint32_t n = rng_.range(1, 3);
    for (uint32_t i = 0; i < n && room(); ++i) writer_->setText(add(f, u"footnote"), u"\u00a7 " + sentence(5, 20));
  }

  void htmlTable(Handle t, uint32_t end) {
    tableType(t, u"html");
    const uint32_t pages = rng_.range(1, 6);
    for (uint32_t i = 0; i < pages && made_ < end; ++i) {
      ++htmlPages_;
      // Most pages are short; every 150th is long enough to span text records.
      const uint32_t bytes = htmlPages_ % 150 == 1 ? rng_.range(70000, 110000) : rng_.range(200, 2500);
      Handle h = add(t, u"html");
      writer_->setText(h, page(bytes));
      targets_.push_back(h);
    }
    if (made_ < end && rng_.chance(30)) writer_->setText(add(t, u"popup"), sentence(4, 12));
  }

  void dualList(Handle t, uint32_t end) {
    tableType(t, u"dual list");
    if (made_ + 2 >= end) return;
    Handle a = add(t, u"list");
    writer_->setText(a, u"Generic");
    Handle b = add(t, u"list");
    writer_->setText(b, u"Trade");
    const uint32_t n = rng_.range(10, 60);
    std::vector<Handle> left, right;
    for (uint32_t i = 0; i < n && made_ + 2 <= end; ++i) {
      Handle x = add(a, u"item");
      writer_->setText(x, drug());
      left.push_back(x);
      Handle y = add(b, u"item");
      writer_->setText(y, drug() + u"\u00ae");
      right.push_back(y);
    }
    // Each item links to its counterpart in the other list.
    for (size_t i = 0; i < left.size() && made_ + 2 <= end; ++i) {
      writer_->setLink(add(left[i], u"link"), right[i]);
      writer_->setLink(add(right[i], u"link"), left[i]);
    }
  }

  void tightHierarchy(Handle t, uint32_t end, bool linked) {
    tableType(t, linked ? u"linked tight hierarchy" : u"tight hierarchy");
    const uint32_t fields = rng_.range(2, 5);
    for (uint32_t i = 0; i < fields && made_ < end; ++i) writer_->setText(add(t, u"field name"), word());
    std::vector<std::pair<Handle, uint32_t>> stack{{t, 0}};
    const uint32_t budget = std::min(end, made_ + rng_.range(20, 200));
    while (!stack.empty() && made_ < budget) {
      auto [parent, depth] = stack.back();
      stack.pop_back();
      const uint32_t kids = depth < 2 ? rng_.range(2, 6) : 0;
      for (uint32_t k = 0; k < kids && made_ < budget; ++k) {
        Handle h = add(parent, u"hierarchy item");
        writer_->setText(h, depth == 0 ? word() : drug());
        targets_.push_back(h);
        if (depth == 1) {
          for (uint32_t f = 0; f < fields && made_ < budget; ++f) writer_->setText(add(h, u"field"), doseText());
          if (linked && made_ < budget && !targets_.empty())
            writer_->setLink(add(h, u"link"), targets_[rng_.below(uint32_t(targets_.size()))]);
        } else {
          stack.push_back({h, depth + 1});
        }
      }
    }
  }

  void image(Handle t, uint32_t end) {
    if (made_ + 3 > end) return;
    ++images_;
    Handle img = add(t, u"image");
    writer_->setText(img, u"Figure " + toU16(std::to_string(images_)) + u": " + sentence(2, 6));
    Handle data = add(img, u"data");
    writer_->setBlob(data, imageBlob());
    writer_->setText(add(img, u"note"), sentence(5, 15));
    targets_.push_back(img);
  }

  // An image blob of three size variants. The variants are stand-ins with a
  // PNG signature and header (the synthetic guide is for measuring, not
  // for showing).
  std::vector<uint8_t> imageBlob() {
    const uint16_t sizes[3][2] = {{240, 320}, {480, 640}, {320, 240}};
    std::vector<std::vector<uint8_t>> files;
    for (auto& s : sizes) {
      std::vector<uint8_t> f = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0,    0,   uint8_t(s[0] >> 8), uint8_t(s[0]), 0, 0, uint8_t(s[1] >> 8), uint8_t(s[1])};
      const uint32_t body = rng_.range(2000, 30000);
      for (uint32_t i = 0; i < body; ++i) f.push_back(uint8_t(rng_.next()));
      files.push_back(std::move(f));
    }
    std::vector<uint8_t> out{3};
    uint32_t offset = 1 + 11 * 3;
    for (size_t i = 0; i < 3; ++i) {
      const uint8_t d[11] = {0, 0, uint8_t(sizes[i][0] >> 8), uint8_t(sizes[i][0]), uint8_t(sizes[i][1] >> 8),
                             uint8_t(sizes[i][1]), 0, uint8_t(offset >> 24), uint8_t(offset >> 16),
                             uint8_t(offset >> 8), uint8_t(offset)};
      out.insert(out.end(), d, d + 11);
      offset += uint32_t(files[i].size());
    }
    for (auto& f : files) out.insert(out.end(), f.begin(), f.end());
    return out;
  }

  void decisionTree(Handle t, uint32_t end) {
    tableType(t, u"decision tree");
    const uint32_t questions = rng_.range(2, 5);
    for (uint32_t q = 0; q < questions && made_ < end; ++q) {
      Handle qh = add(t, u"question");
      writer_->setText(qh, sentence(4, 10) + u"?");
      for (const char16_t* a : {u"Yes", u"No"}) {
        if (made_ >= end) break;
        Handle ah = add(qh, u"answer");
        writer_->setText(ah, a);
        if (made_ < end) writer_->setText(add(ah, u"result"), sentence(6, 14));
      }
    }
    if (made_ < end) writer_->setText(add(t, u"version"), u"Recommendation " + number(9));
  }

  // A three-level table of contents whose leaves link to tables.
  void contents(uint32_t end) {
    if (!room(2)) return;
    Handle toc = add(0, u"table");
    writer_->setText(toc, u"Contents");
    writer_->setName(toc, u"TOC");
    end = std::min(end, total_);
    uint32_t chapter = 0;
    while (made_ + 2 <= end) {
      Handle c = add(toc, u"hierarchy item");
      writer_->setText(c, toU16(std::to_string(++chapter)) + u". " + drug() + u" " + word());
      const uint32_t sections = rng_.range(2, 8);
      for (uint32_t s = 0; s < sections && made_ + 2 <= end; ++s) {
        Handle sh = add(c, u"hierarchy item");
        writer_->setText(sh, word() + u" " + word());
        const uint32_t leaves = rng_.range(1, 6);
        for (uint32_t l = 0; l < leaves && made_ + 2 <= end; ++l) {
          Handle lh = add(sh, u"hierarchy item");
          writer_->setText(lh, drug());
          if (!tables_.empty()) writer_->setLink(add(lh, u"link"), tables_[rng_.below(uint32_t(tables_.size()))]);
        }
      }
    }
  }

  // The index: alphabetical terms, most with a link to a page.
  void index() {
    if (!room(2)) return;
    Handle idx = add(0, u"table");
    writer_->setText(idx, u"Index");
    writer_->setName(idx, u"INDEX");
    const uint32_t left = total_ - made_;
    const uint32_t entries = (left + 1) / 2;
    std::vector<std::u16string> terms(entries);
    for (auto& term : terms) term = drug() + u" " + word();
    std::sort(terms.begin(), terms.end());
    for (auto& term : terms) {
      if (!room()) break;
      Handle item = add(idx, u"item");
      writer_->setText(item, rng_.chance(5) ? u"<i>" + term + u"</i>" : term);
      if (room()) {
        Handle link = add(item, u"link");
        if (!targets_.empty()) writer_->setLink(link, targets_[rng_.below(uint32_t(targets_.size()))]);
        else if (!tables_.empty()) writer_->setLink(link, tables_[rng_.below(uint32_t(tables_.size()))]);
      }
    }
  }

  Rng rng_;
  uint32_t total_;
  const std::function<void(uint64_t, uint64_t)>& progress_;
  std::unique_ptr<ContentWriter> writer_;
  uint32_t made_ = 1;  // the root
  uint32_t nextId_ = 1;
  uint32_t htmlPages_ = 0, images_ = 0;
  std::vector<Handle> tables_, targets_;
};

}  // namespace

std::unique_ptr<ContentWriter> makeSyntheticGuide(uint32_t objectCount, uint64_t seed,
                                                  const std::function<void(uint64_t, uint64_t)>& progress) {
  return Generator(objectCount, seed, progress).run();
}

}  // namespace vantrel
