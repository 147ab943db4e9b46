#pragma once
// What vantrel-serve answers, apart from the HTTP plumbing: the site's pages
// and the JSON API, each request checked before anything is read.
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/content/ContentDatabase.h"
#include "core/export/WebSite.h"
#include "core/search/SearchIndex.h"

namespace vantrel::serve {

// The query parameters the API reads (already percent-decoded by the
// server), each with whether it was given.
struct Query {
  bool hasQ = false;
  std::string q;
};

class WebApi {
 public:
  explicit WebApi(const ContentDatabase& database);

  // How a page request met the page cache.
  enum class CacheUse { none, hit, miss };

  // The answer to GET path (percent-decoded, starting with "/"); cacheUse,
  // when given, tells whether the page cache answered.
  WebResponse get(std::string_view path, const Query& query, CacheUse* cacheUse = nullptr) const;
  // The entity tag every answer of this edition carries (quoted).
  const std::string& etag() const { return etag_; }
  // The edition's name: its content files' stamps and object count.
  const std::string& edition() const { return edition_; }
  // Pages kept in memory now, and their bytes.
  size_t cacheEntries() const;
  size_t cacheBytes() const;
  // Answers /api/search from the full-text index in folder (built ahead of
  // time with vantrel-index, or by a reader into the cache folder). False
  // when it is not a ready index of this edition; /api/search then stays 503.
  bool useSearchIndex(const std::string& folder);

  // The longest search text accepted (characters of UTF-8).
  static constexpr size_t kMaxQuery = 512;

 private:
  WebResponse index(const Query& query) const;
  WebResponse page(std::string_view word) const;
  WebResponse table(std::string_view word) const;
  WebResponse search(const Query& query) const;

  const ContentDatabase& db_;
  WebSite site_;
  std::string etag_;
  std::string edition_;
  // One Xapian database object is not to be used by two threads at once.
  SearchIndex searchIndex_;
  mutable std::mutex searchMutex_;
  // Pages of one edition never change: answers to page requests are kept,
  // up to kCacheBytes of them (then the cache starts over).
  static constexpr size_t kCacheBytes = 64u << 20;
  mutable std::mutex cacheMutex_;
  mutable std::unordered_map<std::string, WebResponse> cache_;
  mutable size_t cacheBytes_ = 0;
};

}  // namespace vantrel::serve
