#pragma once
// The full-text index of a guide (Xapian): English stemming, BM25 ranking,
// spelling suggestions and prefix matching of the last word while typing.
//
// The index is derived data. It is a folder named after the guide's edition
// stamps (`indexName`), kept in the user's cache folder, or built ahead of
// time beside the guide by vantrel-index. It records the edition it was built
// for and a completion mark; a folder that is missing, made for another
// edition, incomplete or unreadable is never trusted: `checkIndex` says so
// and the caller builds it again. Building writes a fresh folder beside the
// target and renames it into place only once complete, so a cancelled or
// failed build leaves no half index behind.
//
// Every Xapian failure is turned into a result (false, an empty answer, a
// state); no exception leaves this module.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/search/SearchDocuments.h"

namespace vantrel {

// The folder name of a guide's index: the edition stamps of the Data and
// Strings files and the object and string counts, e.g.
// "search-1-0-20071001-1-0-20071001-3946-1165".
std::string indexName(const ContentDatabase& db);
// What the index records as the edition it belongs to (the folder name plus
// the index format version).
std::string editionKey(const ContentDatabase& db);

// $XDG_CACHE_HOME/vantrel-guide, else ~/.cache/vantrel-guide; empty when
// neither can be found.
std::string userCacheFolder();
// Where vantrel-index puts an index built ahead of time: "search-index"
// beside the content files.
std::string besideGuideFolder(const std::string& guideDir);

enum class IndexState { Ready, Missing, Stale, Damaged };
const char* indexStateName(IndexState state);

// Whether folder holds a complete, readable index of that edition.
IndexState checkIndex(const std::string& folder, const std::string& edition);

struct IndexBuildStats {
  uint64_t documents = 0;
  uint64_t bytes = 0;  // size of the folder on disk
};

// Readies this process for building indexes. Call it once at the start of
// a program that builds them, on the main thread before any other thread
// runs: it sets an environment variable, which Xapian reads each time a
// build opens its tables. A value the environment gives already is kept.
void prepareIndexBuilds();

// Builds the index of db into folder (replacing what is there), of the
// documents of the pages viewers show (normally viewerKinds()). Progress is
// (objects looked at, objectCount). False when cancelled or when writing
// failed (*error says why); folder is then left as it was.
bool buildIndex(const ContentDatabase& db, const ViewerKinds& viewers, const std::string& folder, const SearchProgress& progress = {},
                const std::atomic<bool>* cancel = nullptr, std::string* error = nullptr,
                IndexBuildStats* stats = nullptr);

// Where the reader's index of a guide lives: the one beside the guide when it
// is there and matches, else the one in the cache folder (which may need
// building: `ready` false).
struct IndexLocation {
  std::string folder;
  bool ready = false;
  IndexState state = IndexState::Missing;  // of the cache folder when not ready
};
IndexLocation locateIndex(const ContentDatabase& db, const std::string& guideDir,
                          const std::string& cacheFolder = userCacheFolder());

struct SearchHit {
  ObjectIndex object = 0;
  std::string title;    // plain text
  std::string kind;
  std::string snippet;  // HTML: text escaped, the matched words in <b>...</b>
  double score = 0;
};

struct SearchAnswer {
  std::string query;
  std::optional<std::string> corrected;  // the spelling suggestion when it differs
  uint32_t total = 0;                    // estimated number of matches
  std::vector<SearchHit> hits;
  bool usedCorrection = false;           // nothing matched as typed: hits are the suggestion's
  bool failed = false;                   // the index could not be read (damaged under our feet)
};

class SearchIndex {
 public:
  SearchIndex();
  ~SearchIndex();
  SearchIndex(const SearchIndex&) = delete;
  SearchIndex& operator=(const SearchIndex&) = delete;

  // Opens a ready index; false (closed) when checkIndex would not say Ready.
  bool open(const std::string& folder, const std::string& edition);
  void close();
  bool isOpen() const;
  uint32_t documentCount() const;

  // Runs a query typed by the user: every word must match (the last one as a
  // prefix while typing), ranked by BM25. An empty query, or a failure,
  // answers no hits.
  SearchAnswer search(const std::string& query, uint32_t limit = 50) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vantrel
