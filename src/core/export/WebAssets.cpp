#include "export/WebAssets.h"

#include <set>

#include "export/WebSite.h"
#include "util/TextCodec.h"

namespace vantrel {
namespace {

std::string lowerAscii(std::u16string_view s) {
  std::string r;
  for (char16_t c : s) r.push_back(c < 128 ? static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c) : '?');
  return r;
}

bool nameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
         c == u'_' || c == u':';
}

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

struct Attribute {
  std::string name;
  std::u16string value;
};

}  // namespace

std::string webAddress(std::u16string_view target) {
  const std::string low = lowerAscii(target.substr(0, 8));
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
  size_t i = 0;
  const size_t n = html.size();
  while (i < n) {
    const char16_t c = html[i];
    if (c == u'<' && html.substr(i, 4) == u"<!--") {
      const size_t end = html.find(u"-->", i + 4);
      i = end == std::u16string_view::npos ? n : end + 3;
      continue;
    }
    if (c == u'<' && i + 1 < n && (nameChar(html[i + 1]) || html[i + 1] == u'/' || html[i + 1] == u'!')) {
      size_t j = i + 1;
      const bool closing = html[j] == u'/';
      if (closing || html[j] == u'!') ++j;
      const size_t nameStart = j;
      while (j < n && nameChar(html[j])) ++j;
      const std::string name = lowerAscii(html.substr(nameStart, j - nameStart));
      // Attributes up to the closing ">" (quotes respected).
      std::vector<Attribute> attrs;
      bool ended = false;
      while (j < n) {
        while (j < n && (html[j] == u' ' || html[j] == u'\t' || html[j] == u'\r' || html[j] == u'\n' ||
                         html[j] == u'/'))
          ++j;
        if (j >= n) break;
        if (html[j] == u'>') {
          ended = true;
          ++j;
          break;
        }
        const size_t a = j;
        while (j < n && html[j] != u'=' && html[j] != u'>' && html[j] != u' ' && html[j] != u'\t' &&
               html[j] != u'\r' && html[j] != u'\n' && html[j] != u'/')
          ++j;
        Attribute attr{lowerAscii(html.substr(a, j - a)), {}};
        if (a == j) ++j;  // a stray character: skip it
        while (j < n && (html[j] == u' ' || html[j] == u'\t')) ++j;
        if (j < n && html[j] == u'=') {
          ++j;
          while (j < n && (html[j] == u' ' || html[j] == u'\t')) ++j;
          if (j < n && (html[j] == u'"' || html[j] == u'\'')) {
            const char16_t q = html[j];
            const size_t end = html.find(q, j + 1);
            if (end == std::u16string_view::npos) {
              j = n;
              break;
            }
            attr.value = html.substr(j + 1, end - j - 1);
            j = end + 1;
          } else {
            const size_t v = j;
            while (j < n && html[j] != u' ' && html[j] != u'>' && html[j] != u'\t' && html[j] != u'\r' &&
                   html[j] != u'\n')
              ++j;
            attr.value = html.substr(v, j - v);
          }
        }
        if (!attr.name.empty()) attrs.push_back(std::move(attr));
      }
      if (!ended) {  // an unfinished tag is text
        sink() += "&lt;";
        ++i;
        continue;
      }
      i = j;
      if (name.empty()) continue;  // <!DOCTYPE ...> and the like
      if (!closing && droppedWithContent().count(name)) {
        // Skip to the matching closing tag (or the end).
        const std::u16string closeTag = u"</";
        size_t k = i;
        while (true) {
          k = html.find(closeTag, k);
          if (k == std::u16string_view::npos) {
            i = n;
            break;
          }
          size_t e = k + 2;
          while (e < n && nameChar(html[e])) ++e;
          if (lowerAscii(html.substr(k + 2, e - k - 2)) == name) {
            const size_t gt = html.find(u'>', e);
            i = gt == std::u16string_view::npos ? n : gt + 1;
            break;
          }
          k = e;
        }
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
        for (const Attribute& a : attrs) {
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
        for (const Attribute& a : attrs) {
          if (keptAttributes().count(a.name)) to += " " + a.name + "=\"" + htmlEscape(a.value) + "\"";
        }
      }
      to += ">";
      continue;
    }
    if (c == u'&') {
      // A character reference stays as written; a bare "&" is escaped.
      size_t j = i + 1;
      if (j < n && html[j] == u'#') ++j;
      const size_t start = j;
      while (j < n && j - start < 32 && ((html[j] >= u'a' && html[j] <= u'z') || (html[j] >= u'A' && html[j] <= u'Z') ||
                                         (html[j] >= u'0' && html[j] <= u'9')))
        ++j;
      if (j > start && j < n && html[j] == u';') {
        std::string& to = sink();
        for (size_t k = i; k <= j; ++k) to.push_back(static_cast<char>(html[k]));
        i = j + 1;
        continue;
      }
      sink() += "&amp;";
      ++i;
      continue;
    }
    // Plain text up to the next markup character, escaped.
    size_t j = i;
    while (j < n && html[j] != u'<' && html[j] != u'&') ++j;
    if (j == i) j = i + 1;
    sink() += htmlEscape(html.substr(i, j - i));
    i = j;
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
