#include "core/export/WebAssets.h"

#include <set>

#include "core/export/WebSite.h"
#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

const std::set<std::string>& keptTags() {
  static const std::set<std::string> tags{
      "a",   "b",   "i",    "u",      "em",    "strong", "sub",   "sup",   "br",  "p",     "div",   "span",
      "font", "ul", "ol",   "li",     "dl",    "dt",     "dd",    "table", "thead", "tbody", "tfoot", "tr",
      "td",  "th",  "caption", "h1",  "h2",    "h3",     "h4",    "h5",    "h6",  "hr",    "pre",   "blockquote",
      "center", "small", "big", "tt", "code",  "menu",   "s",     "strike", "nobr", "col", "colgroup"};
  return tags;
}

// Dropped together with everything up to their closing tag.
const std::set<std::string>& droppedWithContent() {
  static const std::set<std::string> tags{"script", "style", "iframe", "object", "embed", "noscript",
                                          "template", "title", "svg",   "math",   "xmp",   "textarea",
                                          "frameset", "noembed", "applet", "select"};
  return tags;
}

const std::set<std::string>& keptAttributes() {
  static const std::set<std::string> attrs{"align", "valign", "colspan", "rowspan", "width", "height", "border",
                                           "cellpadding", "cellspacing", "bgcolor", "color", "face", "size",
                                           "type", "start", "nowrap", "span", "compact"};
  return attrs;
}

}  // namespace

std::string webAddress(std::u16string_view target) {
  const std::string low = asciiLowercase(target.substr(0, 8));
  if (low.rfind("http://", 0) != 0 && low.rfind("https://", 0) != 0) return {};
  for (char16_t c : target) {
    if (c <= u' ' || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'\\' || c == u'`') return {};
  }
  return htmlEscape(target);
}

std::string percentEncode(std::u16string_view text) {
  static const char* hex = "0123456789ABCDEF";
  const std::string utf8 = toUtf8(text);
  std::string out;
  for (unsigned char c : utf8) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

std::string filterHtml(std::u16string_view html, const LinkMapper& mapLink, const FootnoteMaker& footnote) {
  std::string out;
  out.reserve(html.size() + html.size() / 4);
  // Open links: whether each became a footnote button (its label collected here).
  struct OpenLink {
    bool footnote = false;
    ObjectIndex note = 0;
    std::string label;
  };
  std::vector<OpenLink> links;
  auto sink = [&]() -> std::string& {
    for (auto it = links.rbegin(); it != links.rend(); ++it)
      if (it->footnote) return it->label;
    return out;
  };
  // The text between tags: character references stay as written, a bare
  // "&" and everything else is escaped.
  auto text = [&](std::u16string_view t) {
    size_t i = 0;
    const size_t n = t.size();
    while (i < n) {
      if (t[i] == u'&') {
        size_t j = i + 1;
        if (j < n && t[j] == u'#') ++j;
        const size_t start = j;
        while (j < n && j - start < 32 &&
               ((t[j] >= u'a' && t[j] <= u'z') || (t[j] >= u'A' && t[j] <= u'Z') || (t[j] >= u'0' && t[j] <= u'9')))
          ++j;
        if (j > start && j < n && t[j] == u';') {
          std::string& to = sink();
          for (size_t k = i; k <= j; ++k) to.push_back(static_cast<char>(t[k]));
          i = j + 1;
          continue;
        }
        sink() += "&amp;";
        ++i;
        continue;
      }
      size_t j = t.find(u'&', i);
      if (j == std::u16string_view::npos) j = n;
      appendHtmlEscaped(sink(), t.substr(i, j - i));
      i = j;
    }
  };
  HtmlTokenizer tokens(html);
  HtmlToken token;
  while (tokens.next(token)) {
    if (token.kind == HtmlToken::Kind::comment) continue;
    if (token.kind == HtmlToken::Kind::text) {
      text(html.substr(token.begin, token.end - token.begin));
      continue;
    }
    const std::string& name = token.name;
    const bool closing = token.closing;
    if (name.empty()) continue;  // <!DOCTYPE ...> and the like
    if (!closing && droppedWithContent().count(name)) {
      tokens.skipElement(name);
      continue;
    }
    if (!keptTags().count(name)) continue;
    if (name == "a") {
      if (closing) {
        if (links.empty()) continue;
        OpenLink link = std::move(links.back());
        links.pop_back();
        if (link.footnote) {
          sink() += footnote(link.note, link.label);
        } else {
          sink() += "</a>";
        }
        continue;
      }
      OpenLink link;
      std::string tag = "<a";
      for (const HtmlAttribute& a : token.attributes) {
        if (a.name == "href") {
          bool isNote = false;
          ObjectIndex note = 0;
          const std::string href = mapLink(a.value, isNote, note);
          if (isNote) {
            link.footnote = true;
            link.note = note;
          } else if (!href.empty()) {
            tag += " href=\"" + href + "\"";
          }
        } else if (a.name == "name") {
          const std::string v = htmlEscape(a.value);
          tag += " id=\"" + v + "\" name=\"" + v + "\"";
        }
      }
      tag += ">";
      if (!link.footnote) sink() += tag;
      links.push_back(std::move(link));
      continue;
    }
    std::string& to = sink();
    to += closing ? "</" : "<";
    to += name;
    if (!closing) {
      for (const HtmlAttribute& a : token.attributes) {
        if (keptAttributes().count(a.name)) to += " " + a.name + "=\"" + htmlEscape(a.value) + "\"";
      }
    }
    to += ">";
  }
  // Links left open: close them so nothing after the page is swallowed.
  while (!links.empty()) {
    OpenLink link = std::move(links.back());
    links.pop_back();
    sink() += link.footnote ? footnote(link.note, link.label) : "</a>";
  }
  return out;
}

const std::string_view kSiteCss = R"CSS(body{font-family:"DejaVu Sans",Verdana,sans-serif;margin:0 auto;max-width:60em;padding:0 .6em 2em;line-height:1.4}
nav{position:sticky;top:0;background:#1f4e79;padding:.4em .6em;margin:0 -.6em;z-index:3}
nav a{color:#fff;margin-right:1em;text-decoration:none;font-weight:bold}
h1{font-size:1.3em;margin:.6em 0}
a{color:#086be7}
.letters a{display:inline-block;min-width:1.6em;text-align:center;font-size:1.2em}
.search input{width:100%;font-size:1.1em;padding:.3em;box-sizing:border-box}
.hits{list-style:none;padding:0}
.hits li{padding:.15em .3em;border-bottom:1px solid #eee}
.hits li.sel{background:#ffd700}
.tablebar{margin:.4em 0}
.tablewrap{overflow:auto;max-height:80vh;border:1px solid #999}
.grid{border-collapse:separate;border-spacing:0}
.grid td,.grid th{border:1px solid #bbb;padding:.2em .4em;vertical-align:top;background:#fff}
.grid tr.head>*{position:sticky;top:0;z-index:1}
.grid tr>:first-child{position:sticky;left:0;z-index:1}
.grid tr.head>:first-child{z-index:2}
.grid .hidden{display:none}
button.fn{border:none;background:none;color:#086be7;text-decoration:underline;cursor:pointer;padding:0;font:inherit}
.footnote{max-width:30em;padding:1em;border:1px solid #666}
details>summary{cursor:pointer}
ul ul{padding-left:1.2em}
.restart{margin-top:2em}
)CSS";

const std::string_view kSiteJs = R"JS(// Compare and Restore on tables; incremental search on the index page.
(function () {
  'use strict';
  function each(list, f) { Array.prototype.forEach.call(list, f); }

  each(document.querySelectorAll('table.grid'), function (table) {
    var bar = table.parentNode.previousElementSibling;
    if (!bar) return;
    function show(all) {
      var rows = [], cols = [];
      if (!all) {
        each(table.querySelectorAll('tr[data-row] > th input.pick:checked'), function (box) {
          rows.push(box.closest('tr').getAttribute('data-row'));
        });
        each(table.querySelectorAll('tr.head > th input.pick:checked'), function (box) {
          cols.push(box.closest('th').getAttribute('data-col'));
        });
      }
      each(table.querySelectorAll('tr[data-row]'), function (tr) {
        tr.classList.toggle('hidden', rows.length > 0 && rows.indexOf(tr.getAttribute('data-row')) < 0);
      });
      each(table.querySelectorAll('[data-col]'), function (cell) {
        cell.classList.toggle('hidden', cols.length > 0 && cols.indexOf(cell.getAttribute('data-col')) < 0);
      });
      if (all) each(table.querySelectorAll('input.pick'), function (box) { box.checked = false; });
    }
    var compare = bar.querySelector('button.compare'), restore = bar.querySelector('button.restore');
    if (compare) compare.addEventListener('click', function () { show(false); });
    if (restore) restore.addEventListener('click', function () { show(true); });
  });

  var box = document.getElementById('q'), hits = document.getElementById('hits');
  var entries = window.vantrelIndex;
  if (!box || !hits || !entries) return;
  var lowered = entries.map(function (e) { return e[0].toLowerCase(); });
  // The first entry that begins with the text, else the one at or just before its place.
  function find(text) {
    text = text.toLowerCase();
    if (!text || !lowered.length) return -1;
    var lo = 0, hi = lowered.length;
    while (lo < hi) {
      var mid = (lo + hi) >> 1;
      if (lowered[mid].slice(0, text.length) < text) lo = mid + 1; else hi = mid;
    }
    if (lo < lowered.length && lowered[lo].slice(0, text.length) === text) return lo;
    return Math.max(0, Math.min(lo, lowered.length) - 1);
  }
  function render() {
    var row = find(box.value), first = Math.max(row, 0);
    hits.textContent = '';
    for (var i = first; i < Math.min(first + 50, entries.length); ++i) {
      var li = document.createElement('li'), a = document.createElement('a');
      a.href = entries[i][1];
      a.textContent = entries[i][0];
      li.appendChild(a);
      if (i === row) li.className = 'sel';
      hits.appendChild(li);
    }
  }
  var m = /[#&]q=([^&]*)/.exec(location.hash);
  if (m) { try { box.value = decodeURIComponent(m[1]); } catch (e) { box.value = ''; } }
  box.addEventListener('input', render);
  render();
  box.focus();
})();
)JS";

}  // namespace vantrel
