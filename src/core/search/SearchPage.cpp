#include "core/search/SearchPage.h"

#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

namespace vantrel {

namespace {

std::u16string escape(const std::string& utf8) { return htmlEscape16(fromUtf8(utf8)); }

bool hasWord(const std::string& q) {
  for (unsigned char c : q)
    if (c > ' ') return true;
  return false;
}

}  // namespace

std::vector<uint8_t> searchPageData(const std::string& query) { return {query.begin(), query.end()}; }

std::string queryFromPageData(const uint8_t* data, size_t length) {
  if (!data || length == 0) return {};
  return std::string(reinterpret_cast<const char*>(data), length);
}

std::u16string kindLabel(const std::string& kind) {
  if (kind == "page") return u"Page";
  if (kind == "table") return u"Table";
  if (kind == "index") return u"Index entry";
  if (kind == "abbreviation") return u"Abbreviation";
  if (kind == "footnote") return u"Footnote";
  if (kind == "popup") return u"Note";
  if (kind == "image") return u"Picture";
  if (kind == "entry") return u"Monograph entry";
  if (kind == "question") return u"Decision tree question";
  if (kind == "result") return u"Decision tree result";
  return fromUtf8(kind);
}

std::u16string searchResultsPage(const SearchAnswer& answer, bool indexReady, bool indexFailed) {
  std::u16string html = u"<html><body>";
  if (!indexReady) {
    html += u"<p><i>";
    html += kBuildingText;
    html += u"</i></p></body></html>";
    return html;
  }
  if (indexFailed) {
    html += u"<p><i>The search index cannot be read; it is being built again.</i></p></body></html>";
    return html;
  }
  if (!hasWord(answer.query)) {
    html += u"<p><i>Type words to search every page of the guide.</i></p></body></html>";
    return html;
  }
  if (answer.corrected) {
    html += u"<p>Did you mean <a href=\"";
    html += kCorrectedLink;
    html += u"\"><b>" + escape(*answer.corrected) + u"</b></a>?</p>";
  }
  if (answer.hits.empty()) {
    html += u"<p><i>No pages match \u201c" + escape(answer.query) + u"\u201d.</i></p></body></html>";
    return html;
  }
  if (answer.usedCorrection)
    html += u"<p><i>Nothing matches \u201c" + escape(answer.query) + u"\u201d; showing the results for \u201c" +
            escape(*answer.corrected) + u"\u201d.</i></p>";
  for (const SearchHit& h : answer.hits) {
    html += u"<p><a href=\"" + fromUtf8(std::to_string(h.object)) + u"\">" + escape(h.title) + u"</a> <small>(" +
            kindLabel(h.kind) + u")</small><br>" + fromUtf8(h.snippet) + u"</p>";
  }
  html += u"</body></html>";
  return html;
}

}  // namespace vantrel
