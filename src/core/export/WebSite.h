#pragma once
// The guide as a website: every page a viewer shows, as a standalone HTML
// document with relative links, so the same files work from a folder opened
// in a browser (file://) and behind any web server. vantrel-export writes
// every path this produces; vantrel-serve answers requests with the same
// pages, generated on request.
//
// Addresses (all in one folder, so every link is a plain file name):
//   index.html          home: the alphabet into the index, the contents
//   search.html         the index with incremental search (index-data.js)
//   index.json          the index entries: [[plain text, address], ...]
//   index-data.js       the same entries for pages opened from file://
//   contents.html       the table of contents as nested lists
//   oN.html             object N: an HTML page, a menu, a table, a list or
//                       tree, a picture, footnotes
//   tT-O-E-S.html       a decision-tree page: tree T showing O, with the
//                       answers E and S (0: none) that fixed the two codes
//   iN.png (.jpg ...)   the largest picture of image object N
//   style.css, site.js  the look and the few lines of script
//
// Every text taken from the content is escaped; the content's own HTML
// pages are passed through a filter that keeps their formatting, rewrites
// their links to these addresses and drops scripts, event handlers and any
// address that is not a page of the guide or a web address.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/util/HtmlText.h"

namespace vantrel {

struct WebResponse {
  int status = 404;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
};

// What an object's own page shows.
enum class WebPageKind { none, html, decisionTree, table, list, image, footnote };

class WebSite {
 public:
  explicit WebSite(const ContentDatabase& database);
  WebSite(const WebSite&) = delete;
  WebSite& operator=(const WebSite&) = delete;

  // Answers a path relative to the site's root ("o12.html"; "" is the home
  // page). Unknown paths and objects without a page answer 404; nothing here
  // throws or reads past the content.
  WebResponse render(std::string_view path) const;

  // Every path of the static site: the fixed files, each object's page and
  // picture, and every decision-tree page reachable from a tree's start.
  // visit returns false to stop early.
  void forEachPath(const std::function<bool(const std::string&)>& visit) const;

  WebPageKind kindOf(ObjectIndex object) const;
  // Where a link to object leads: its page, else the page of the nearest
  // ancestor that has one, else the contents.
  std::string hrefFor(ObjectIndex object) const;

  // Markup (cells, list rows, footnotes) as HTML: bold, italic, scripts,
  // line breaks and links kept, everything else escaped. Links to footnotes
  // become popover buttons whose texts are appended to footnotes.
  std::string markupHtml(std::u16string_view markup, std::string* footnotes = nullptr) const;
  // A content HTML page filtered for the browser (see above).
  std::string filterContentHtml(std::u16string_view html, std::string* footnotes) const;

  const ContentDatabase& database() const { return db_; }

 private:
  WebResponse objectPage(ObjectIndex object) const;
  WebResponse decisionTreePage(ObjectIndex tree, ObjectIndex object, ObjectIndex ec, ObjectIndex sc) const;
  WebResponse imageFile(ObjectIndex object) const;
  WebResponse homePage() const;
  WebResponse searchPage() const;
  WebResponse contentsPage() const;
  std::string indexJson() const;
  std::string tablePage(ObjectIndex object, std::string& footnotes) const;
  std::string listBody(ObjectIndex object, std::string& footnotes) const;
  void hierarchyList(ObjectIndex parent, bool plain, int depth, std::string& out, std::string* footnotes) const;
  std::string footnoteButton(ObjectIndex note, std::string_view label, std::string* footnotes) const;
  std::string imageName(ObjectIndex object) const;
  bool isFootnote(ObjectIndex object) const;
  ObjectIndex decisionTreeOf(ObjectIndex object) const;
  void decisionTreePaths(ObjectIndex tree, const std::function<bool(const std::string&)>& visit, bool& go) const;
  // A page around body; the title is markup, shown as plain text.
  std::string frame(std::u16string_view titleMarkup, std::string_view body, std::string_view footnotes = {}) const;

  const ContentDatabase& db_;
  ObjectIndex index_ = 0;
  ObjectIndex toc_ = 0;
};

}  // namespace vantrel
