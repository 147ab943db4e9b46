#pragma once
// Pieces of the website that do not depend on the content: the filter that
// makes a content HTML page safe to show in a browser, and the stylesheet
// and script every page loads.
#include <functional>
#include <string>
#include <string_view>

#include "core/content/ContentDatabase.h"

namespace vantrel {

// Maps a link target of a page to the address it is written with. Set
// footnote (and note) instead to have the link shown as a footnote button.
// An empty address drops the link (its text stays).
using LinkMapper = std::function<std::string(std::u16string_view target, bool& footnote, ObjectIndex& note)>;
// The button that opens footnote note, with label (already HTML) as its text.
using FootnoteMaker = std::function<std::string(ObjectIndex note, std::string_view label)>;

// Keeps the formatting tags of a page (a fixed list: text styles, lists,
// tables, headings, paragraphs, fonts) with a fixed list of attributes whose
// values are re-escaped; drops the document frame, every other tag, and
// scripts, styles, frames and embedded objects with their content; rewrites
// "href" through mapLink; gives named anchors an id as well. Text is
// re-escaped. The result is UTF-8.
std::string filterHtml(std::u16string_view html, const LinkMapper& mapLink, const FootnoteMaker& footnote);

// A target that is a web address ("http://" or "https://" followed by no
// quote, bracket or space), escaped; empty for anything else.
std::string webAddress(std::u16string_view target);

// Percent-encodes everything but letters, digits and "-._~" (UTF-8).
std::string percentEncode(std::u16string_view text);

extern const std::string_view kSiteCss;
extern const std::string_view kSiteJs;

}  // namespace vantrel
