#include "core/search/SearchIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xapian.h>

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "core/util/FileOps.h"
#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Raised whenever the document layout or the indexing rules change, so that
// an index written by an older reader counts as stale.
constexpr const char* kFormat = "v3";
constexpr const char* kEditionKey = "vantrel.edition";
constexpr const char* kCompleteKey = "vantrel.complete";
constexpr const char* kCountKey = "vantrel.documents";

std::string stamp(const uint16_t s[3]) {
  return std::to_string(s[0]) + "-" + std::to_string(s[1]) + "-" + std::to_string(s[2]);
}

uint64_t folderBytes(const std::string& folder) {
  std::error_code ec;
  uint64_t total = 0;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (it->is_regular_file(e2)) total += it->file_size(e2);
  }
  return total;
}

std::string documentData(const SearchDocument& d) {
  std::string data = std::to_string(d.object);
  data += '\n';
  data += d.kind;
  data += '\n';
  data += d.title;
  data += '\n';
  data += d.text;
  return data;
}

struct StoredDocument {
  ObjectIndex object = 0;
  std::string kind, title, text;
};

StoredDocument parseData(const std::string& data) {
  StoredDocument d;
  const size_t a = data.find('\n');
  const size_t b = a == std::string::npos ? a : data.find('\n', a + 1);
  const size_t c = b == std::string::npos ? b : data.find('\n', b + 1);
  if (c == std::string::npos) return d;
  d.object = static_cast<ObjectIndex>(std::strtoul(data.substr(0, a).c_str(), nullptr, 10));
  d.kind = data.substr(a + 1, b - a - 1);
  d.title = data.substr(b + 1, c - b - 1);
  d.text = data.substr(c + 1);
  return d;
}

// The documents' own data (object, kind, title, text) are kept beside the
// Xapian tables in a file of their own, stored as they are: Xapian would
// compress each one, which costs more time than its tables' writing, and
// the text of the hits is all a search reads back. The file, "documents":
//   "VTSEARCHDOCS0001" (16 bytes), the records one after the other (document
//   n of the index is record n - 1), the start of each record and the end
//   of the last (count + 1 little-endian 64-bit offsets), then the trailer:
//   the offset of that table, count (64 bits each) and "VTDOCEND".
constexpr const char* kDocumentsFile = "documents";
constexpr std::string_view kDocumentsHead = "VTSEARCHDOCS0001";
constexpr std::string_view kDocumentsEnd = "VTDOCEND";
constexpr uint64_t kTrailerBytes = 24;
constexpr uint64_t kMaxRecordBytes = uint64_t(64) << 20;

void putU64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint64_t getU64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

class DocumentsWriter {
 public:
  bool open(const std::string& folder) {
    if (!file_.open(fileops::joinPath(folder, kDocumentsFile), fileops::Sync::consistent)) return false;
    written_ = kDocumentsHead.size();
    return file_.write(kDocumentsHead);
  }
  bool add(const std::string& data) {
    offsets_.push_back(written_);
    written_ += data.size();
    return file_.write(data);
  }
  // Writes the table and the trailer and puts the file in place.
  bool finish() {
    offsets_.push_back(written_);
    std::string tail;
    tail.reserve(offsets_.size() * 8 + kTrailerBytes);
    for (uint64_t o : offsets_) putU64(tail, o);
    putU64(tail, written_);
    putU64(tail, offsets_.size() - 1);
    tail += kDocumentsEnd;
    return file_.write(tail) && file_.commit();
  }
  const std::string& error() const { return file_.error(); }

 private:
  fileops::AtomicFile file_;
  std::vector<uint64_t> offsets_;
  uint64_t written_ = 0;
};

class DocumentsReader {
 public:
  DocumentsReader() = default;
  DocumentsReader(const DocumentsReader&) = delete;
  DocumentsReader& operator=(const DocumentsReader&) = delete;
  ~DocumentsReader() { close(); }

  // False when the file is missing, cut short, or holds another number of
  // documents than count.
  bool open(const std::string& folder, uint64_t count) {
    close();
    fd_ = ::open(fileops::joinPath(folder, kDocumentsFile).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat st;
    unsigned char head[16], trailer[kTrailerBytes];
    const bool ok =
        ::fstat(fd_, &st) == 0 && static_cast<uint64_t>(st.st_size) >= kDocumentsHead.size() + kTrailerBytes &&
        fileops::preadAll(fd_, head, sizeof head, 0) == sizeof head &&
        std::string_view(reinterpret_cast<const char*>(head), sizeof head) == kDocumentsHead &&
        fileops::preadAll(fd_, trailer, sizeof trailer, static_cast<uint64_t>(st.st_size) - kTrailerBytes) ==
            static_cast<int64_t>(sizeof trailer) &&
        std::string_view(reinterpret_cast<const char*>(trailer) + 16, 8) == kDocumentsEnd;
    if (ok) {
      table_ = getU64(trailer);
      count_ = getU64(trailer + 8);
    }
    // The table must end where the trailer starts.
    if (!ok || count_ != count || table_ < kDocumentsHead.size() || count_ > (uint64_t(1) << 40) ||
        table_ + (count_ + 1) * 8 + kTrailerBytes != static_cast<uint64_t>(st.st_size)) {
      close();
      return false;
    }
    return true;
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    count_ = table_ = 0;
  }
  // The data of document n (1 for the first); false when it cannot be read.
  bool read(uint64_t n, std::string& out) const {
    if (fd_ < 0 || n == 0 || n > count_) return false;
    unsigned char bounds[16];
    if (fileops::preadAll(fd_, bounds, sizeof bounds, table_ + (n - 1) * 8) != sizeof bounds) return false;
    const uint64_t begin = getU64(bounds), end = getU64(bounds + 8);
    if (begin < kDocumentsHead.size() || end < begin || end > table_ || end - begin > kMaxRecordBytes) return false;
    out.resize(end - begin);
    return fileops::preadAll(fd_, out.data(), out.size(), begin) == static_cast<int64_t>(out.size());
  }

 private:
  int fd_ = -1;
  uint64_t count_ = 0, table_ = 0;
};

}  // namespace

std::string indexName(const ContentDatabase& db) {
  const ContentLayout& l = db.layout();
  return "search-" + stamp(l.dataStamp) + "-" + stamp(l.stringsStamp) + "-" + std::to_string(db.objectCount()) +
         "-" + std::to_string(db.stringCount());
}

std::string editionKey(const ContentDatabase& db) { return indexName(db) + "/" + kFormat; }

std::string userCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/vantrel-guide";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.cache/vantrel-guide";
  return {};
}

std::string besideGuideFolder(const std::string& guideDir) {
  return (fs::path(guideDir.empty() ? "." : guideDir) / "search-index").string();
}

const char* indexStateName(IndexState state) {
  switch (state) {
    case IndexState::Ready: return "ready";
    case IndexState::Missing: return "missing";
    case IndexState::Stale: return "stale";
    case IndexState::Damaged: return "damaged";
  }
  return "";
}

IndexState checkIndex(const std::string& folder, const std::string& edition) {
  std::error_code ec;
  if (folder.empty() || !fs::exists(folder, ec)) return IndexState::Missing;
  if (!fs::is_directory(folder, ec)) return IndexState::Damaged;
  try {
    Xapian::Database db(folder);
    const std::string recorded = db.get_metadata(kEditionKey);
    if (recorded.empty()) return IndexState::Damaged;
    if (recorded != edition) return IndexState::Stale;
    if (db.get_metadata(kCompleteKey) != "1") return IndexState::Damaged;
    if (db.get_metadata(kCountKey) != std::to_string(db.get_doccount())) return IndexState::Damaged;
    DocumentsReader documents;
    if (!documents.open(folder, db.get_doccount())) return IndexState::Damaged;
    // Read the ends of the tables a search touches: the first and the last
    // document, a posting list and the spelling table.
    if (db.get_doccount() > 0) {
      std::string data;
      if (!documents.read(1, data) || !documents.read(db.get_doccount(), data)) return IndexState::Damaged;
      for (Xapian::TermIterator t = db.allterms_begin(); t != db.allterms_end(); ++t) {
        for (Xapian::PostingIterator p = db.postlist_begin(*t); p != db.postlist_end(*t); ++p) (void)*p;
        if (!documents.read(*db.postlist_begin(*t), data)) return IndexState::Damaged;
        break;
      }
      (void)db.get_spelling_suggestion("a");
    }
    return IndexState::Ready;
  } catch (const Xapian::Error&) {
    return IndexState::Damaged;
  } catch (const std::exception&) {
    return IndexState::Damaged;
  }
}

namespace {

// The term a word is indexed under: "Z" and its English stem. Only stems
// are indexed (what the query parser makes of a word with STEM_ALL_Z); the
// words as written live in the spelling data, which suggestions and the
// prefix of the word being typed read.
std::string stemTerm(const Xapian::Stem& stem, const std::string& word) { return "Z" + stem(word); }

// The English stemmer of the build. The term generator hands it every word
// it indexes, lower case and as written, once per occurrence: it counts the
// words for the spelling data on the way (an occurrence in a title counts
// as the title's weight does) and remembers their stems, a guide's
// vocabulary being small next to its word count. Used by one thread only.
class CountingStemmer : public Xapian::StemImplementation {
 public:
  struct Word {
    std::string stem;
    Xapian::termcount frequency = 0;
  };
  std::string operator()(const std::string& word) override {
    auto [it, added] = words_.try_emplace(word);
    if (added) it->second.stem = stem_(word);
    it->second.frequency += weight;
    return it->second.stem;
  }
  std::string get_description() const override { return "english, counting"; }
  const std::unordered_map<std::string, Word>& words() const { return words_; }

  // What each occurrence of the text indexed next counts for.
  Xapian::termcount weight = 1;

 private:
  Xapian::Stem stem_{"english"};
  std::unordered_map<std::string, Word> words_;
};

// Documents handed from the extracting thread to the indexing one, a batch
// at a time; the extractor waits when the indexer falls behind.
class DocumentQueue {
 public:
  struct Batch {
    std::vector<SearchDocument> documents;
    uint64_t done = 0;  // objects looked at once this batch was full
  };

  // False when the indexer stopped taking batches.
  bool push(Batch&& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    roomy_.wait(lock, [&] { return batches_.size() < kMaxBatches || stopped_; });
    if (stopped_) return false;
    batches_.push_back(std::move(batch));
    ready_.notify_one();
    return true;
  }
  void finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    ready_.notify_one();
  }
  // The indexer gives up: the extractor's next push fails.
  void stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    batches_.clear();
    roomy_.notify_all();
  }
  // The next batch; none once the extractor finished and all were taken.
  // Wakes now and then so the caller can look at its cancel flag.
  std::optional<Batch> pop(const std::atomic<bool>* cancel) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (batches_.empty() && !finished_) {
      if (cancel && cancel->load()) return std::nullopt;
      ready_.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (batches_.empty()) return std::nullopt;
    Batch b = std::move(batches_.front());
    batches_.pop_front();
    roomy_.notify_one();
    return b;
  }

 private:
  static constexpr size_t kMaxBatches = 4;
  std::mutex mutex_;
  std::condition_variable ready_, roomy_;
  std::deque<Batch> batches_;
  bool finished_ = false, stopped_ = false;
};

constexpr size_t kBatchDocuments = 512;

// Removes what builds of processes that no longer run left beside folder
// ("<name>.building-<pid>-<n>", "<name>.old-<pid>-<n>"): a reader killed
// while it built. Builds still running in other processes are left alone.
void removeLeftovers(const fs::path& target) {
  std::error_code ec;
  const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string name = target.filename().string();
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    for (const std::string mark : {".building-", ".old-"}) {
      if (entry.size() <= name.size() + mark.size() || entry.compare(0, name.size(), name) != 0 ||
          entry.compare(name.size(), mark.size(), mark) != 0)
        continue;
      const char* digits = entry.c_str() + name.size() + mark.size();
      char* after = nullptr;
      const long pid = std::strtol(digits, &after, 10);
      if (after == digits || pid <= 0 || pid == ::getpid()) continue;
      if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) continue;  // still running
      std::error_code e2;
      fs::remove_all(it->path(), e2);
    }
  }
}

}  // namespace

void prepareIndexBuilds() {
  // Xapian keeps the postings of the documents added since its last flush
  // in ordered maps; flushing every 2,000 documents instead of every 10,000
  // keeps those maps small and the build about a sixth faster (measured on
  // a guide of 200,000 objects).
  ::setenv("XAPIAN_FLUSH_THRESHOLD", "2000", 0);
}

bool buildIndex(const ContentDatabase& db, const ViewerKinds& viewers, const std::string& folder,
                const SearchProgress& progress,
                const std::atomic<bool>* cancel, std::string* error, IndexBuildStats* stats) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!db.valid()) return fail("the guide is not a valid content database");
  std::error_code ec;
  const fs::path target(folder);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  if (ec) return fail("cannot create " + target.parent_path().string() + ": " + ec.message());
  removeLeftovers(target);
  static std::atomic<unsigned> serial{0};
  const std::string temp = folder + ".building-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  fs::remove_all(temp, ec);

  auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };
  uint64_t count = 0;
  bool completed = false;
  // One thread reads the documents out of the guide while this one indexes
  // the batch before.
  DocumentQueue queue;
  std::atomic<bool> stopExtracting{false};
  std::atomic<bool> extracted{false};
  auto extract = [&] {
    try {
      DocumentQueue::Batch batch;
      uint64_t looked = 0;
      bool open = true;
      const bool all = extractDocuments(
          db, viewers,
          [&](SearchDocument&& d) {
            if (!open) return;
            batch.documents.push_back(std::move(d));
            if (batch.documents.size() >= kBatchDocuments) {
              batch.done = looked;
              open = queue.push(std::move(batch));
              batch = DocumentQueue::Batch();
            }
          },
          [&](uint64_t done, uint64_t) {
            looked = done;
            if (cancelled()) stopExtracting = true;
          },
          &stopExtracting);
      if (all && open) {
        batch.done = db.objectCount();
        if (!batch.documents.empty()) open = queue.push(std::move(batch));
        extracted = open;
      }
    } catch (const std::exception&) {
    }
    queue.finish();
  };
  std::thread extractor;
  try {
    extractor = std::thread(extract);
  } catch (const std::system_error& e) {
    return fail(std::string("cannot start a thread to build the search index: ") + e.what());
  }
  auto stopExtractor = [&] {
    stopExtracting = true;
    queue.stop();
    if (extractor.joinable()) extractor.join();
  };

  try {
    // No fsync while writing: the folder is renamed into place only once
    // complete, and an index damaged by a crash is found and rebuilt. No
    // term lists either: nothing the reader asks for reads them.
    Xapian::WritableDatabase out(
        temp, Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_BACKEND_GLASS | Xapian::DB_NO_SYNC | Xapian::DB_NO_TERMLIST);
    // One transaction: nothing is committed until the whole index is there.
    out.begin_transaction(false);
    DocumentsWriter documents;
    if (!documents.open(temp)) throw std::runtime_error(documents.error());
    // Stems only ("Z" and the stem, as the query parser's STEM_ALL_Z
    // makes them); the words as written go to the spelling data, counted by
    // the stemmer and written once at the end instead of word by word.
    // Word positions are not stored: every query is words that must all
    // match, so only which documents hold a word and how often counts.
    auto* counting = new CountingStemmer;
    Xapian::TermGenerator terms;
    terms.set_stemmer(Xapian::Stem(counting));
    terms.set_stemming_strategy(Xapian::TermGenerator::STEM_ALL_Z);
    const uint64_t total = db.objectCount();
    // Cancel is looked at document by document: a reader that closes waits
    // for the build to stop, and the build runs at idle priority.
    while (std::optional<DocumentQueue::Batch> batch = queue.pop(cancel)) {
      for (SearchDocument& d : batch->documents) {
        if (cancelled()) break;
        Xapian::Document doc;
        terms.set_document(doc);
        counting->weight = 2;
        terms.index_text_without_positions(d.title, 2);
        counting->weight = 1;
        terms.index_text_without_positions(d.text);
        if (!documents.add(documentData(d))) throw std::runtime_error(documents.error());
        out.add_document(doc);
        ++count;
      }
      if (cancelled()) break;
      if (progress) progress(batch->done, total);
    }
    stopExtractor();
    completed = extracted && !cancelled();
    if (completed) {
      for (const auto& [word, counted] : counting->words()) out.add_spelling(word, counted.frequency);
      out.set_metadata(kEditionKey, editionKey(db));
      out.set_metadata(kCountKey, std::to_string(count));
      if (!documents.finish()) throw std::runtime_error(documents.error());
      out.set_metadata(kCompleteKey, "1");
      out.commit_transaction();
    } else {
      out.cancel_transaction();
    }
    out.close();
  } catch (const Xapian::Error& e) {
    stopExtractor();
    fs::remove_all(temp, ec);
    return fail("cannot write the search index in " + temp + ": " + e.get_description());
  } catch (const std::exception& e) {
    stopExtractor();
    fs::remove_all(temp, ec);
    return fail(std::string("cannot write the search index: ") + e.what());
  }
  if (!completed) {
    fs::remove_all(temp, ec);
    return fail(cancelled() ? "cancelled" : "the guide could not be read to the end");
  }
  // Swap the new folder in: the old one (if any) steps aside first and goes
  // only once the new one is in place.
  const std::string old = folder + ".old-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  std::string why;
  const fileops::FolderSwap swap = fileops::replaceFolder(temp, folder, old, &why);
  if (swap == fileops::FolderSwap::oldNotMoved) {
    fs::remove_all(temp, ec);
    return fail("cannot replace " + folder + ": " + why);
  }
  if (swap == fileops::FolderSwap::newNotMoved) {
    fs::remove_all(temp, ec);
    // Another reader of the same guide built it at the same time and put
    // its index in place first: that one serves as well.
    if (checkIndex(folder, editionKey(db)) == IndexState::Ready) {
      if (stats) {
        stats->documents = count;
        stats->bytes = folderBytes(folder);
      }
      return true;
    }
    return fail("cannot move the index into " + folder + ": " + why);
  }
  if (stats) {
    stats->documents = count;
    stats->bytes = folderBytes(folder);
  }
  return true;
}

IndexLocation locateIndex(const ContentDatabase& db, const std::string& guideDir, const std::string& cacheFolder) {
  IndexLocation loc;
  const std::string edition = editionKey(db);
  const std::string beside = besideGuideFolder(guideDir);
  if (checkIndex(beside, edition) == IndexState::Ready) {
    loc.folder = beside;
    loc.ready = true;
    loc.state = IndexState::Ready;
    return loc;
  }
  const std::string base = cacheFolder.empty() ? (fs::temp_directory_path() / "vantrel-guide").string() : cacheFolder;
  loc.folder = (fs::path(base) / indexName(db)).string();
  loc.state = checkIndex(loc.folder, edition);
  loc.ready = loc.state == IndexState::Ready;
  return loc;
}

struct SearchIndex::Impl {
  Xapian::Database db;
  DocumentsReader documents;
  Xapian::Stem stem{"english"};
  bool open = false;
};

SearchIndex::SearchIndex() : impl_(std::make_unique<Impl>()) {}
SearchIndex::~SearchIndex() = default;

bool SearchIndex::open(const std::string& folder, const std::string& edition) {
  close();
  if (checkIndex(folder, edition) != IndexState::Ready) return false;
  try {
    impl_->db = Xapian::Database(folder);
    impl_->open = impl_->documents.open(folder, impl_->db.get_doccount());
  } catch (const Xapian::Error&) {
    impl_->open = false;
  }
  return impl_->open;
}

void SearchIndex::close() {
  try {
    if (impl_->open) impl_->db.close();
  } catch (const Xapian::Error&) {
  }
  impl_->db = Xapian::Database();
  impl_->documents.close();
  impl_->open = false;
}

bool SearchIndex::isOpen() const { return impl_->open; }

uint32_t SearchIndex::documentCount() const {
  if (!impl_->open) return 0;
  try {
    return impl_->db.get_doccount();
  } catch (const Xapian::Error&) {
    return 0;
  }
}

namespace {

bool hasWord(const std::string& q) {
  for (unsigned char c : q)
    if (std::isalnum(c) || c >= 0x80) return true;
  return false;
}

bool isWordByte(char c) { return std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80; }

// How many of the guide's words (as written) the word being typed expands
// to: the most frequent ones.
constexpr size_t kPartialExpansion = 64;

// The guide's words as written that begin with prefix (lower case), with
// their frequencies, read from the spelling data: the `most` most frequent.
std::vector<std::pair<Xapian::termcount, std::string>> wordsBeginning(const Xapian::Database& db,
                                                                      const std::string& prefix, size_t most) {
  std::vector<std::pair<Xapian::termcount, std::string>> found;
  Xapian::TermIterator it = db.spellings_begin();
  const Xapian::TermIterator end = db.spellings_end();
  if (it == end) return found;
  for (it.skip_to(prefix); it != end; ++it) {
    const std::string& word = *it;
    if (word.compare(0, prefix.size(), prefix) != 0) break;
    found.emplace_back(it.get_termfreq(), word);
  }
  if (found.size() > most) {
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(most), found.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    found.resize(most);
  }
  return found;
}

// The first of the guide's words (as written) at or after prefix in
// order; empty when there is none.
std::string firstWordFrom(const Xapian::Database& db, const std::string& prefix) {
  Xapian::TermIterator it = db.spellings_begin();
  if (it == db.spellings_end()) return {};
  it.skip_to(prefix);
  return it == db.spellings_end() ? std::string() : *it;
}

bool beginsAWord(const Xapian::Database& db, const std::string& prefix) {
  return firstWordFrom(db, prefix).compare(0, prefix.size(), prefix) == 0;
}

bool isAWord(const Xapian::Database& db, const std::string& word) { return firstWordFrom(db, word) == word; }

// The field the word still being typed is handed to the parser under, so
// that it keeps its place in the query (after "-", among other words).
constexpr const char* kTypingField = "vantreltyping";

// The last word of the query when it is still being typed (nothing after
// it) and stands alone (not inside quotes, not joined to the word before by
// a hyphen or a dot) is marked as the typing field's; other text is left as
// it is.
std::string markTypedWord(const std::string& text) {
  size_t start = text.size();
  while (start > 0 && isWordByte(text[start - 1])) --start;
  if (start == text.size()) return text;
  size_t before = start;
  if (before > 0 && (text[before - 1] == '+' || text[before - 1] == '-')) --before;
  if (before > 0 && !std::isspace(static_cast<unsigned char>(text[before - 1]))) return text;
  if (std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), '"') % 2) return text;
  return text.substr(0, start) + kTypingField + ":" + text.substr(start);
}

// The parser's text with the mark taken out again.
std::string unmarkTypedWord(std::string text) {
  const std::string mark = std::string(kTypingField) + ":";
  const size_t at = text.rfind(mark);
  if (at != std::string::npos) text.erase(at, mark.size());
  return text;
}

// The word still being typed: the stems of the guide's words that begin
// with it, or the word itself (which ranks the pages holding the whole word
// higher).
class TypedWord : public Xapian::FieldProcessor {
 public:
  TypedWord(const Xapian::Database& db, const Xapian::Stem& stem) : db_(db), stem_(stem) {}
  Xapian::Query operator()(const std::string& typed) override {
    const std::string prefix = Xapian::Unicode::tolower(typed);
    std::set<std::string> terms;
    for (const auto& [frequency, word] : wordsBeginning(db_, prefix, kPartialExpansion))
      terms.insert(stemTerm(stem_, word));
    Xapian::Query whole(stemTerm(stem_, prefix));
    if (terms.empty()) return whole;
    return Xapian::Query(Xapian::Query::OP_OR, Xapian::Query(Xapian::Query::OP_SYNONYM, terms.begin(), terms.end()),
                         whole);
  }

 private:
  const Xapian::Database& db_;
  const Xapian::Stem& stem_;
};

}  // namespace

SearchAnswer SearchIndex::search(const std::string& query, uint32_t limit) const {
  SearchAnswer answer;
  answer.query = query;
  if (!impl_->open || !hasWord(query)) return answer;
  try {
    TypedWord typing(impl_->db, impl_->stem);
    Xapian::QueryParser qp;
    qp.set_stemmer(impl_->stem);
    qp.set_stemming_strategy(Xapian::QueryParser::STEM_ALL_Z);
    qp.set_database(impl_->db);
    qp.set_default_op(Xapian::Query::OP_AND);
    qp.add_prefix(kTypingField, &typing);
    const unsigned flags = Xapian::QueryParser::FLAG_PHRASE | Xapian::QueryParser::FLAG_LOVEHATE |
                           Xapian::QueryParser::FLAG_SPELLING_CORRECTION;
    auto parse = [&](const std::string& text) {
      const std::string marked = markTypedWord(text);
      try {
        return qp.parse_query(marked, flags);
      } catch (const Xapian::QueryParserError&) {
        // Stray syntax: take the words alone.
        return qp.parse_query(marked, Xapian::QueryParser::FLAG_SPELLING_CORRECTION);
      }
    };
    Xapian::Query q = parse(query);
    std::string corrected = unmarkTypedWord(qp.get_corrected_query_string());
    // The parser does not correct the word still being typed (it is taken
    // as a prefix); offer the dictionary's nearest word for it too.
    if (corrected.empty()) {
      std::string rebuilt;
      bool changed = false;
      std::string word;
      auto flush = [&](bool typing) {
        if (word.empty()) return;
        const std::string lower = Xapian::Unicode::tolower(word);
        std::string s;
        // A word still being typed that begins some word of the guide is
        // not a misspelling.
        const bool prefix = typing && beginsAWord(impl_->db, lower);
        if (!prefix && !isAWord(impl_->db, lower) && impl_->db.get_termfreq(stemTerm(impl_->stem, lower)) == 0)
          s = impl_->db.get_spelling_suggestion(lower);
        if (!s.empty() && s != lower) {
          rebuilt += s;
          changed = true;
        } else {
          rebuilt += word;
        }
        word.clear();
      };
      for (char c : query) {
        if (std::isalnum(static_cast<unsigned char>(c)) || (static_cast<unsigned char>(c) >= 0x80) || c == '\'') {
          word += c;
        } else {
          flush(false);
          rebuilt += c;
        }
      }
      flush(true);
      if (changed) corrected = rebuilt;
    }
    Xapian::Enquire enquire(impl_->db);
    enquire.set_weighting_scheme(Xapian::BM25Weight());
    enquire.set_query(q);
    Xapian::MSet mset = enquire.get_mset(0, limit, limit + 1);
    if (!corrected.empty() && corrected != query) {
      answer.corrected = corrected;
      if (mset.empty()) {
        enquire.set_query(parse(corrected));
        mset = enquire.get_mset(0, limit, limit + 1);
        answer.usedCorrection = true;
      }
    }
    answer.total = mset.get_matches_estimated();
    for (Xapian::MSetIterator it = mset.begin(); it != mset.end(); ++it) {
      std::string data;
      if (!impl_->documents.read(*it, data)) throw Xapian::DatabaseCorruptError("a document cannot be read");
      StoredDocument d = parseData(data);
      SearchHit hit;
      hit.object = d.object;
      hit.kind = std::move(d.kind);
      hit.title = std::move(d.title);
      hit.score = it.get_weight();
      hit.snippet = mset.snippet(d.text, 160, impl_->stem, Xapian::MSet::SNIPPET_BACKGROUND_MODEL, "<b>", "</b>",
                                 "\u2026");
      if (hit.snippet.empty()) {
        size_t cut = std::min<size_t>(d.text.size(), 160);
        while (cut > 0 && cut < d.text.size() && (static_cast<unsigned char>(d.text[cut]) & 0xC0) == 0x80) --cut;
        hit.snippet = htmlEscapeUtf8(std::string_view(d.text).substr(0, cut));
      }
      answer.hits.push_back(std::move(hit));
    }
  } catch (const Xapian::Error&) {
    answer.total = 0;
    answer.hits.clear();
    answer.failed = true;
  }
  return answer;
}

}  // namespace vantrel
