#pragma once
// What the search page decides without a window: which page it takes, the
// query carried in the page data, the results page it shows (each result its
// title as a link, its kind and a snippet with the matched words in bold;
// "Did you mean" when the suggestion differs) and the texts it says while the
// index is being built or when nothing matches.
#include <cstdint>
#include <string>
#include <vector>

#include "core/search/SearchIndex.h"

namespace vantrel {

inline constexpr char16_t kSearchTitle[] = u"Search the guide";
inline constexpr char16_t kBuildingText[] = u"Building the search index\u2026";
// The link target of the suggestion in the results page.
inline constexpr char16_t kCorrectedLink[] = u"corrected";

// The page data of a search page is the query in UTF-8, nothing else.
std::vector<uint8_t> searchPageData(const std::string& query);
std::string queryFromPageData(const uint8_t* data, size_t length);

// The readable name of a document kind ("Page", "Table", "Footnote", ...).
std::u16string kindLabel(const std::string& kind);

// The whole results page, an HTML document: a state line (building, no
// match, the suggestion) and the results. indexReady false shows only the
// building text.
std::u16string searchResultsPage(const SearchAnswer& answer, bool indexReady, bool indexFailed = false);

}  // namespace vantrel
