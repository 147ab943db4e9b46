#include "core/export/WebSite.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <set>
#include <tuple>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/export/WebAssets.h"
#include "core/hierarchy/HierarchySource.h"
#include "core/html/HtmlViewerModel.h"
#include "core/page/PageSource.h"
#include "core/images/ImageBlob.h"
#include "core/images/ImageViewerModel.h"
#include "core/lists/IndexSource.h"
#include "core/platform/FixedMetricsSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/viewers/ViewerRegistry.h"
#include "core/tables/TightCrtTable.h"
#include "core/tools/DecisionTree.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

// Nesting deeper than this is cut off in lists and trees (content is data).
constexpr int kMaxDepth = 32;
// Decision-tree pages visited per tree by the export.
constexpr size_t kMaxTreeStates = 100000;

std::string num(uint64_t n) { return std::to_string(n); }

// Parses "N", "N-M-..." numbers joined by dashes; false on anything else.
bool parseNumbers(std::string_view s, std::vector<uint32_t>& out) {
  out.clear();
  while (true) {
    uint32_t v = 0;
    if (s.empty() || s[0] < '0' || s[0] > '9') return false;
    if (s.size() > 1 && s[0] == '0' && s[1] >= '0' && s[1] <= '9') return false;  // one spelling per address
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc()) return false;
    out.push_back(v);
    s.remove_prefix(static_cast<size_t>(end - s.data()));
    if (s.empty()) return true;
    if (s[0] != '-') return false;
    s.remove_prefix(1);
  }
}

std::string colourCss(Colour c) {
  static const char* hex = "0123456789abcdef";
  std::string s = "#";
  for (uint32_t v : {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu}) {
    s.push_back(hex[v >> 4]);
    s.push_back(hex[v & 15]);
  }
  return s;
}

const char* imageType(const std::vector<uint8_t>& b, const char** ext) {
  auto starts = [&](std::initializer_list<uint8_t> m) {
    if (b.size() < m.size()) return false;
    size_t i = 0;
    for (uint8_t x : m)
      if (b[i++] != x) return false;
    return true;
  };
  if (starts({0x89, 'P', 'N', 'G'})) return *ext = "png", "image/png";
  if (starts({0xFF, 0xD8})) return *ext = "jpg", "image/jpeg";
  if (starts({'G', 'I', 'F', '8'})) return *ext = "gif", "image/gif";
  if (starts({'B', 'M'})) return *ext = "bmp", "image/bmp";
  return *ext = "bin", "application/octet-stream";
}

// The largest readable variant of an image object.
bool largestVariant(const ContentDatabase& db, ObjectIndex object, uint32_t& blob, VariantRange& range) {
  if (!imageBlobNumber(db, object, blob)) return false;
  const ImageBlobLayout layout = readImageBlobLayout(db, blob);
  uint64_t best = 0;
  bool found = false;
  for (uint32_t v = 0; v < layout.variants.size(); ++v) {
    const VariantRange r = variantRange(layout, v);
    if (!r.ok()) continue;
    const uint64_t area = uint64_t(layout.variants[v].width) * layout.variants[v].height;
    if (!found || area > best) {
      best = area;
      range = r;
      found = true;
    }
  }
  return found;
}

}  // namespace

WebSite::WebSite(const ContentDatabase& database) : db_(database) {
  index_ = db_.objectByName(u"INDEX");
  toc_ = db_.objectByName(u"TOC");
}

bool WebSite::isFootnote(ObjectIndex object) const {
  return isOfType(db_, object, u"footnote") || isOfType(db_, object, u"footnotes") || isOfType(db_, object, u"popup");
}

ObjectIndex WebSite::decisionTreeOf(ObjectIndex object) const {
  ContentCursor cursor;
  if (!cursor.open(db_, object)) return 0;
  if (!isOfType(db_, object, u"table") && !cursor.toAncestorOfType(u"table")) return 0;
  return cursor.index();
}

WebPageKind WebSite::kindOf(ObjectIndex object) const {
  if (object == 0 || object >= db_.objectCount()) return WebPageKind::none;
  // The page of a viewer the reader shows the object in: an HTML page, a
  // table or a picture before a footnote opened over it; the other viewers'
  // objects become a list of their items when they have any.
  bool shown[4] = {false, false, false, false};
  static constexpr std::string_view kPages[4] = {"html", "table", "image", "footnotes"};
  for (const ViewerKind* viewer : viewerKinds().showingAll(db_, object))
    for (int i = 0; i < 4; ++i) shown[i] = shown[i] || viewer->name == kPages[i];
  if (shown[0]) {
    const HtmlSelection s = selectHtmlPage(db_, HtmlPageKeys::fromDatabase(db_), object);
    return s.source == HtmlSourceKind::decisionTree ? WebPageKind::decisionTree : WebPageKind::html;
  }
  if (shown[1]) return WebPageKind::table;
  if (shown[2]) return WebPageKind::image;
  if (shown[3]) return WebPageKind::footnote;
  if (hasChildOfType(db_, object, u"hierarchy item")) return WebPageKind::list;
  return WebPageKind::none;
}

std::string WebSite::hrefFor(ObjectIndex object) const {
  for (int hops = 0; hops < kMaxDepth; ++hops) {
    if (object == 0 || object >= db_.objectCount()) return object == 0 ? "index.html" : "contents.html";
    if (object == index_ && index_ != 0) return "search.html";
    if (object == toc_ && toc_ != 0) return "contents.html";
    switch (kindOf(object)) {
      case WebPageKind::decisionTree: {
        const ObjectIndex tree = decisionTreeOf(object);
        return "t" + num(tree) + "-" + num(object) + "-0-0.html";
      }
      case WebPageKind::none: break;
      default: return "o" + num(object) + ".html";
    }
    // An entry that only links on leads where its link leads.
    const ObjectIndex target = linkTargetOf(db_, object);
    if (target != 0 && target != object) {
      object = target;
      continue;
    }
    ObjectEntry e;
    if (!db_.readEntry(object, e)) return "contents.html";
    object = e.parent;
  }
  return "contents.html";
}

std::string WebSite::footnoteButton(ObjectIndex note, std::string_view label, std::string* footnotes) const {
  const std::string id = "fn" + num(note);
  if (footnotes && footnotes->find("id=\"" + id + "\"") == std::string::npos) {
    std::u16string text;
    if (!footnotesText(db_, note, text) && !footnoteText(db_, note, text)) popupText(db_, note, text);
    footnotes->append("<div class=\"footnote\" popover id=\"").append(id).append("\">");
    footnotes->append(markupHtml(text, nullptr)).append("</div>");
  }
  std::string b = "<button type=\"button\" class=\"fn\" popovertarget=\"" + id + "\">";
  b.append(label).append("</button>");
  return b;
}

std::string WebSite::markupHtml(std::u16string_view markup, std::string* footnotes) const {
  FixedMetricsSurface surface;
  MarkupRenderer renderer;
  renderer.configure(std::nullopt, 0, 0);
  TextBlock block{std::u16string(markup)};
  renderer.parse(block, surface);
  const std::u16string& text = block.text;
  std::string out;
  auto plain = [&](size_t from, size_t to) {
    to = std::min(to, text.size());
    for (size_t i = from; i < to;) {
      size_t line = text.find(u'\n', i);
      if (line == std::u16string::npos || line > to) line = to;
      appendHtmlEscaped(out, std::u16string_view(text).substr(i, line - i));
      if (line < to) out += "<br>";
      i = line + 1;
    }
  };
  size_t at = 0;
  for (const TextRun& run : block.runs) {
    const size_t start = static_cast<size_t>(std::max<int32_t>(run.start, 0));
    const size_t end = std::min(static_cast<size_t>(std::max<int32_t>(run.end, 0)), text.size());
    if (start < at || start > end) continue;
    plain(at, start);
    std::string inner;
    std::swap(out, inner);
    plain(start, end);
    std::swap(out, inner);
    if (run.bold) inner = "<b>" + inner + "</b>";
    if (run.italic) inner = "<i>" + inner + "</i>";
    if (run.script == 1) inner = "<sup>" + inner + "</sup>";
    if (run.script == 2) inner = "<sub>" + inner + "</sub>";
    if (run.link) {
      const ObjectIndex target = static_cast<ObjectIndex>(run.linkId);
      if (isFootnote(target)) {
        inner = footnoteButton(target, inner, footnotes);
      } else {
        inner = "<a href=\"" + hrefFor(target) + "\">" + inner + "</a>";
      }
    }
    out += inner;
    at = end;
  }
  plain(at, text.size());
  return out;
}

std::string WebSite::filterContentHtml(std::u16string_view html, std::string* footnotes) const {
  return filterHtml(html, [&](std::u16string_view target, bool& footnote, ObjectIndex& note) {
    footnote = false;
    const LinkTarget link = parseLinkTarget(target);
    if (!link.follow) return webAddress(target);
    // A target without an object number leads nowhere in the reader either.
    if (target.empty() || target[0] < u'0' || target[0] > u'9') return std::string();
    if (isFootnote(link.object)) {
      footnote = true;
      note = link.object;
      return std::string();
    }
    std::string href = hrefFor(link.object);
    if (!link.anchor.empty()) href += "#" + percentEncode(link.anchor);
    return href;
  }, [&](ObjectIndex note, std::string_view label) { return footnoteButton(note, label, footnotes); });
}

std::string WebSite::frame(std::u16string_view titleMarkup, std::string_view body, std::string_view footnotes) const {
  // Titles are markup: shown as the reader's title bar shows them, then
  // escaped once.
  std::u16string title = MarkupRenderer::stripAllTags(titleMarkup);
  for (char16_t& c : title)
    if (c == u'\n') c = u' ';
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>";
  appendHtmlEscaped(out, title);
  out += "</title><link rel=\"stylesheet\" href=\"style.css\"></head><body>\n"
         "<nav><a href=\"index.html\">Home</a> <a href=\"search.html\">Index</a> "
         "<a href=\"contents.html\">Contents</a></nav>\n<h1>";
  appendHtmlEscaped(out, title);
  out += "</h1>\n<main>\n";
  out.append(body);
  out += "\n</main>\n";
  out.append(footnotes);
  out += "<script src=\"site.js\"></script></body></html>\n";
  return out;
}

WebResponse WebSite::render(std::string_view path) const {
  WebResponse r;
  if (path.empty() || path == "index.html") return homePage();
  if (path == "search.html") return searchPage();
  if (path == "contents.html") return contentsPage();
  if (path == "style.css") {
    r.status = 200;
    r.contentType = "text/css; charset=utf-8";
    r.body = std::string(kSiteCss);
    return r;
  }
  if (path == "site.js") {
    r.status = 200;
    r.contentType = "text/javascript; charset=utf-8";
    r.body = std::string(kSiteJs);
    return r;
  }
  if (path == "index.json" || path == "index-data.js") {
    r.status = 200;
    const bool js = path == "index-data.js";
    r.contentType = js ? "text/javascript; charset=utf-8" : "application/json";
    r.body = js ? "window.vantrelIndex = " + indexJson() + ";\n" : indexJson();
    return r;
  }
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < 2) return r;
  const std::string_view stem = path.substr(1, dot - 1);
  const std::string_view ext = path.substr(dot + 1);
  std::vector<uint32_t> n;
  if (!parseNumbers(stem, n)) return r;
  if (path[0] == 'o' && ext == "html" && n.size() == 1) return objectPage(n[0]);
  if (path[0] == 't' && ext == "html" && n.size() == 4) return decisionTreePage(n[0], n[1], n[2], n[3]);
  if (path[0] == 'i' && n.size() == 1) {
    WebResponse image = imageFile(n[0]);
    if (image.status == 200 && path != imageName(n[0])) return WebResponse{};
    return image;
  }
  return r;
}

WebResponse WebSite::objectPage(ObjectIndex object) const {
  WebResponse r;
  const WebPageKind kind = kindOf(object);
  if (kind == WebPageKind::none || kind == WebPageKind::decisionTree) return r;
  std::u16string title;
  std::string body, notes;
  switch (kind) {
    case WebPageKind::html: {
      HtmlViewerModel viewer(db_, HtmlPageKeys::fromDatabase(db_));
      if (!viewer.show(object)) return r;
      title = viewer.title();
      body = filterContentHtml(viewer.pageText(), &notes);
      break;
    }
    case WebPageKind::table: {
      enclosingTableTitle(db_, object, title);
      body = tablePage(object, notes);
      break;
    }
    case WebPageKind::image: {
      std::u16string text;
      textOf(db_, object, text);
      title = text;
      body = "<figure><img src=\"" + imageName(object) + "\" alt=\"" + htmlEscape(MarkupRenderer::stripAllTags(text)) +
             "\"></figure>";
      ContentCursor note(db_, object);
      std::u16string noteText;
      if (note.valid() && note.toChildOfType(u"note") && note.text(noteText)) {
        body += "<p class=\"note\">" + markupHtml(noteText, &notes) + "</p>";
      }
      break;
    }
    case WebPageKind::footnote: {
      std::u16string text;
      if (!footnotesText(db_, object, text) && !footnoteText(db_, object, text)) popupText(db_, object, text);
      title = u"Footnotes";
      body = "<div class=\"footnotes\">" + markupHtml(text, &notes) + "</div>";
      break;
    }
    case WebPageKind::list: {
      std::u16string text;
      textOf(db_, object, text);
      title = text;
      if (MarkupRenderer::stripAllTags(title).empty()) enclosingTableTitle(db_, object, title);
      body = listBody(object, notes);
      break;
    }
    default: return r;
  }
  r.status = 200;
  r.contentType = "text/html; charset=utf-8";
  r.body = frame(title, body, notes);
  return r;
}

std::string WebSite::tablePage(ObjectIndex object, std::string& notes) const {
  // Each page is a session of its own: its headings start as the reader's
  // first table does, whatever was rendered before or alongside.
  HeadingToggles session;
  TightCrtTable table(db_, session);
  table.buildTable(object);
  const uint32_t rows = table.allRowCount(), columns = table.allColumnCount();
  std::string out = "<div class=\"tablebar\"><button type=\"button\" class=\"compare\">Compare</button> "
                    "<button type=\"button\" class=\"restore\">Restore</button>";
  if (const ObjectIndex key = table.keyObject()) out += " <a class=\"key\" href=\"" + hrefFor(key) + "\">Key</a>";
  out += "</div>\n<div class=\"tablewrap\"><table class=\"grid\">\n";
  for (uint32_t r = 0; r < rows; ++r) {
    out += r == 0 ? "<tr class=\"head\">" : "<tr data-row=\"" + num(r) + "\">";
    for (uint32_t c = 0; c < columns; ++c) {
      TableCell cell;
      table.realCell(r, c, cell);
      const bool heading = r == 0 || c == 0;
      std::string attrs;
      if (c != 0) attrs += " data-col=\"" + num(c) + "\"";
      if (heading) attrs += " style=\"background:" + colourCss(cell.colour) + "\"";
      out += heading ? "<th" : "<td";
      out += attrs + ">";
      if (heading && (r == 0) != (c == 0)) {
        out += "<input type=\"checkbox\" class=\"pick\" aria-label=\"select\"> ";
      }
      out += markupHtml(cell.text, &notes);
      out += heading ? "</th>" : "</td>";
    }
    out += "</tr>\n";
  }
  out += "</table></div>";
  return out;
}

void WebSite::hierarchyList(ObjectIndex parent, bool plain, int depth, std::string& out,
                            std::string* notes) const {
  std::vector<ObjectEntry> items;
  db_.collectGroup(parent, u"hierarchy item", 0, items);
  if (items.empty()) return;
  out += "<ul>";
  for (const ObjectEntry& item : items) {
    std::u16string text;
    textOf(db_, item.index, text);
    const bool hasChildren = depth + 1 < kMaxDepth && hasChildOfType(db_, item.index, u"hierarchy item") &&
                             kindOf(item.index) != WebPageKind::table;
    std::string label;
    const ObjectIndex target = linkTargetOf(db_, item.index);
    if (target != 0 || kindOf(item.index) == WebPageKind::table || !hasChildren) {
      const ObjectIndex to = target != 0 ? target : item.index;
      label = "<a href=\"" + hrefFor(to) + "\">" + htmlEscape(MarkupRenderer::stripAllTags(text)) + "</a>";
      if (!hasChildren && target == 0 && kindOf(item.index) != WebPageKind::table && !plain)
        label = markupHtml(text, notes);
    } else {
      label = plain ? htmlEscape(MarkupRenderer::stripAllTags(text)) : markupHtml(text, notes);
    }
    out += "<li id=\"o" + num(item.index) + "\">";
    if (hasChildren) {
      out += "<details><summary>" + label + "</summary>";
      hierarchyList(item.index, plain, depth + 1, out, notes);
      out += "</details>";
    } else {
      out += label;
    }
    out += "</li>";
  }
  out += "</ul>\n";
}

std::string WebSite::listBody(ObjectIndex object, std::string& notes) const {
  std::string out;
  std::vector<ObjectEntry> fields;
  db_.collectGroup(object, u"field", 0, fields);
  for (const ObjectEntry& f : fields) {
    std::u16string text;
    if (textOf(db_, f.index, text)) out += "<p>" + markupHtml(text, &notes) + "</p>\n";
  }
  hierarchyList(object, false, 0, out, &notes);
  return out;
}

WebResponse WebSite::homePage() const {
  std::string body = "<p class=\"letters\">";
  for (char c = 'A'; c <= 'Z'; ++c) {
    body += "<a href=\"search.html#q=";
    body += c;
    body += "\">";
    body += c;
    body += "</a> ";
  }
  body += "</p>\n<p><a href=\"search.html\">Index</a></p><p><a href=\"contents.html\">Contents</a></p>";
  WebResponse r;
  r.status = 200;
  r.contentType = "text/html; charset=utf-8";
  r.body = frame(u"Vantrel Guide 2007", body);
  return r;
}

WebResponse WebSite::searchPage() const {
  const std::string body =
      "<div class=\"search\"><input id=\"q\" type=\"search\" autocomplete=\"off\" "
      "placeholder=\"Type to search\" aria-label=\"Search the index\"></div>\n"
      "<ol id=\"hits\" class=\"hits\"></ol>\n<script src=\"index-data.js\"></script>";
  WebResponse r;
  r.status = 200;
  r.contentType = "text/html; charset=utf-8";
  r.body = frame(u"Index", body);
  return r;
}

WebResponse WebSite::contentsPage() const {
  std::string body;
  if (toc_ != 0) hierarchyList(toc_, true, 0, body, nullptr);
  WebResponse r;
  r.status = 200;
  r.contentType = "text/html; charset=utf-8";
  r.body = frame(u"Contents", body);
  return r;
}

std::string WebSite::indexJson() const {
  IndexSource source;
  if (index_ != 0) source.bind(&db_, index_, u"hierarchy item");
  std::string out = "[";
  for (uint32_t i = 0; i < source.itemCount(); ++i) {
    if (i) out += ",\n";
    out += "[\"";
    appendJsonScriptText(out, MarkupRenderer::stripAllTags(source.itemAt(i).text));
    out += "\",\"" + hrefFor(source.objectAt(i)) + "\"]";
  }
  out += "]";
  return out;
}

std::string WebSite::imageName(ObjectIndex object) const {
  uint32_t blob = 0;
  VariantRange range;
  if (!ImageViewerModel::accepts(db_, object) || !largestVariant(db_, object, blob, range)) return {};
  std::vector<uint8_t> head(std::min<uint32_t>(range.size, 8));
  if (!db_.readBlob(blob, range.offset, head.data(), static_cast<uint32_t>(head.size()))) return {};
  const char* ext = "";
  imageType(head, &ext);
  return "i" + num(object) + "." + ext;
}

WebResponse WebSite::imageFile(ObjectIndex object) const {
  WebResponse r;
  uint32_t blob = 0;
  VariantRange range;
  if (!ImageViewerModel::accepts(db_, object) || !largestVariant(db_, object, blob, range)) return r;
  std::vector<uint8_t> bytes;
  if (!readVariantBytes(db_, blob, range, bytes)) return r;
  const char* ext = "";
  r.status = 200;
  r.contentType = imageType(bytes, &ext);
  r.body.assign(bytes.begin(), bytes.end());
  return r;
}

WebResponse WebSite::decisionTreePage(ObjectIndex tree, ObjectIndex object, ObjectIndex ec, ObjectIndex sc) const {
  WebResponse r;
  if (kindOf(object) != WebPageKind::decisionTree || decisionTreeOf(object) != tree) return r;
  if (!ownTableTypeIs(db_, tree, u"decision tree")) return r;
  DecisionTreePage page(db_);
  page.resetDecisionTree(tree);
  // The answers that fixed the codes, replayed in order; an address whose
  // answers do not fix them is not a page.
  if (ec != 0) {
    page.followDecisionTreeLink(ec);
    if (page.state().ecCode == 0 || page.state().scCode != 0) return r;
  }
  if (sc != 0) {
    const ObjectIndex before = page.state().scCode;
    page.followDecisionTreeLink(sc);
    if (page.state().scCode == 0 || page.state().scCode == before) return r;
  }
  const DecisionTreeState state = page.state();
  std::string notes;
  const std::string body = filterHtml(
      page.buildDecisionTreePage(object),
      [&](std::u16string_view target, bool& footnote, ObjectIndex&) {
        footnote = false;
        const LinkTarget link = parseLinkTarget(target);
        if (!link.follow) return webAddress(target);
        DecisionTreePage next = page;
        const DecisionTreeStep step = next.followDecisionTreeLink(link.object);
        const ObjectIndex e = next.state().ecCode != state.ecCode ? link.object : ec;
        const ObjectIndex s = next.state().scCode != state.scCode ? link.object : sc;
        if (step.object == tree) return "t" + num(tree) + "-" + num(tree) + "-0-0.html";
        if (kindOf(step.object) != WebPageKind::decisionTree || decisionTreeOf(step.object) != tree) {
          return hrefFor(step.object);
        }
        std::string href = "t" + num(tree) + "-" + num(step.object) + "-" + num(e) + "-" + num(s) + ".html";
        if (!step.anchor.empty()) href += "#" + percentEncode(step.anchor);
        return href;
      },
      [&](ObjectIndex note, std::string_view label) { return footnoteButton(note, label, &notes); });
  std::u16string title = page.decisionTreeTitle();
  r.status = 200;
  r.contentType = "text/html; charset=utf-8";
  r.body = frame(title, body + "\n<p class=\"restart\"><a href=\"t" + num(tree) + "-" + num(tree) +
                            "-0-0.html\">New evaluation</a></p>",
                 notes);
  return r;
}

void WebSite::decisionTreePaths(ObjectIndex tree, const std::function<bool(const std::string&)>& visit,
                                bool& go) const {
  // Breadth first over the addresses the pages link to, starting at the tree.
  std::set<std::tuple<ObjectIndex, ObjectIndex, ObjectIndex>> seen;
  std::vector<std::tuple<ObjectIndex, ObjectIndex, ObjectIndex>> queue{{tree, 0, 0}};
  seen.insert(queue.front());
  const std::string prefix = "t" + num(tree) + "-";
  for (size_t at = 0; at < queue.size() && go && seen.size() < kMaxTreeStates; ++at) {
    const auto [object, ec, sc] = queue[at];
    const std::string path = prefix + num(object) + "-" + num(ec) + "-" + num(sc) + ".html";
    const WebResponse page = render(path);
    if (page.status != 200) continue;
    if (!visit(path)) {
      go = false;
      return;
    }
    for (size_t p = page.body.find("href=\"" + prefix); p != std::string::npos;
         p = page.body.find("href=\"" + prefix, p + 1)) {
      const size_t start = p + 6 + 1;
      const size_t end = page.body.find_first_of(".#\"", start);
      std::vector<uint32_t> n;
      if (end == std::string::npos || !parseNumbers(page.body.substr(start, end - start), n) || n.size() != 4) continue;
      const auto key = std::make_tuple(n[1], n[2], n[3]);
      if (seen.insert(key).second) queue.push_back(key);
    }
  }
}

void WebSite::forEachPath(const std::function<bool(const std::string&)>& visit) const {
  for (const char* fixed : {"index.html", "search.html", "contents.html", "index.json", "index-data.js",
                            "style.css", "site.js"}) {
    if (!visit(fixed)) return;
  }
  bool go = true;
  for (ObjectIndex i = 1; i < db_.objectCount() && go; ++i) {
    if ((i == index_ || i == toc_) && i != 0) continue;
    switch (kindOf(i)) {
      case WebPageKind::none: break;
      case WebPageKind::decisionTree:
        if (ownTableTypeIs(db_, i, u"decision tree")) decisionTreePaths(i, visit, go);
        break;
      case WebPageKind::image: {
        go = visit("o" + num(i) + ".html");
        const std::string name = imageName(i);
        if (go && !name.empty()) go = visit(name);
        break;
      }
      default: go = visit("o" + num(i) + ".html");
    }
  }
}

}  // namespace vantrel
