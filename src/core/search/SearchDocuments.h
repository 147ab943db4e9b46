#pragma once
// The documents of the full-text index: one per page a viewer shows, read
// straight from the content. Each keeps the object it opens, a title, a kind
// and the plain text that is indexed and cut into snippets.
//
// Kinds: "page" (an HTML page), "table" (one table of a "tight crt" table:
// title, headings and cell texts), "index" (an index entry with its menu),
// "abbreviation" (opens the abbreviations list), "footnote", "popup",
// "image" (caption and note), "entry" (a tight hierarchy entry with its
// fields), "question" and "result" (decision-tree pages).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/page/ViewerKinds.h"

namespace vantrel {

struct SearchDocument {
  ObjectIndex object = 0;
  std::string kind;
  std::string title;  // UTF-8, plain text
  std::string text;   // UTF-8, plain text (title not repeated)
};

// Plain text of markup or of an HTML page: tags become spaces, the common
// named entities and numeric ones are decoded, runs of white space fold into
// one space.
std::u16string plainTextOf(std::u16string_view markup);

// A title cut to at most maxChars characters at a word boundary, with "…".
std::string shortTitle(std::u16string_view plain, size_t maxChars = 60);

// Progress of a walk over the objects: (objects looked at, objectCount).
using SearchProgress = std::function<void(uint64_t done, uint64_t total)>;

// Calls sink for each document, in object order. Which page shows an object,
// and so which documents it yields, is the viewers' own rule: the first of
// viewers in offering order that shows it (ViewerKinds::showing), as in the
// reader; the index and the key yield their rows. Stops early, answering
// false, when cancel becomes true; true when the walk completed.
bool extractDocuments(const ContentDatabase& db, const ViewerKinds& viewers,
                      const std::function<void(SearchDocument&&)>& sink, const SearchProgress& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

}  // namespace vantrel
