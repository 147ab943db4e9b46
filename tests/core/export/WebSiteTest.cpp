// The website made from a guide: every page and every link of it, content
// that tries to smuggle script into the pages, decision-tree addresses, and
// addresses that are not pages.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

#include "../html/GuideFixture.h"
#include "core/export/WebAssets.h"
#include "core/export/WebSite.h"

namespace vantrel {
namespace {

using test::addLink;
using test::addText;
using H = ContentWriter::Handle;

// A guide of every kind of page, with hostile texts wherever content goes.
struct HostileGuide {
  test::GuideFile file;
  std::map<std::string, ObjectIndex> at;

  HostileGuide() {
    ContentWriter w(u"guide");
    const std::u16string evil = u"<script>alert(1)</script><img src=x onerror=alert(2)>\"'&";
    const H index = addText(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    const H toc = addText(w, 0, u"table", u"Contents " + evil);
    w.setName(toc, u"TOC");

    const H drugs = addText(w, 0, u"table", u"Drugs " + evil);
    addText(w, drugs, u"table type", u"tight crt");
    const H key = addText(w, drugs, u"field", u"Key <b>bold</b> " + evil);
    const H note = addText(w, 0, u"footnote", u"A note " + evil);
    const H group = addText(w, drugs, u"hierarchy item", u"Agents " + evil);
    const H amox = addText(w, group, u"hierarchy item", u"Amox");
    const H amoxField = addText(w, amox, u"field", u"");
    const H doxy = addText(w, group, u"hierarchy item", u"Doxy");
    addText(w, doxy, u"field", u"100 mg");
    const H props = addText(w, drugs, u"hierarchy item", u"Properties");
    addText(w, props, u"hierarchy item", u"Dose");

    const H pages = addText(w, 0, u"table", u"Pages " + evil);
    addText(w, pages, u"table type", u"html");
    const H page = addText(w, pages, u"hierarchy item", u"Page");
    const H html = addText(w, page, u"html", u"PLACEHOLDER");

    const H tree = addText(w, 0, u"table", u"PEP " + evil);
    addText(w, tree, u"table type", u"decision tree");
    const H q1 = addText(w, tree, u"question", u"Q1 " + evil);
    const H yes = addText(w, q1, u"answer", u"yes");
    const H q2 = addText(w, tree, u"question", u"Q2");
    const H pos = addText(w, q2, u"answer", u"pos");
    const H ec = addText(w, tree, u"result", u"EC one");
    const H sc = addText(w, tree, u"result", u"SC one");
    addLink(w, yes, ec);
    addLink(w, pos, sc);
    const H version = addText(w, tree, u"version", u"Take it " + evil);
    addLink(w, version, sc);
    addLink(w, version, ec);

    const H entry = addText(w, index, u"hierarchy item", u"Amox <i>entry</i> " + evil);
    const H x = addText(w, entry, u"hierarchy item", u"x");
    addLink(w, x, amox);
    addText(w, index, u"hierarchy item", u"Zeta");

    const H chapter = addText(w, toc, u"hierarchy item", u"Chapter " + evil);
    const H section = addText(w, chapter, u"hierarchy item", u"Section");
    const H leaf = addText(w, section, u"hierarchy item", u"Leaf");
    addLink(w, leaf, page);
    const H toTree = addText(w, toc, u"hierarchy item", u"PEP");
    addLink(w, toTree, tree);

    w.setText(w.add(doxy, u"field"), u"");  // a cell with no text
    // Object indexes are fixed once every object is added.
    const ObjectIndex noteIndex = w.indexOf(note);
    std::u16string amoxText = u"500 mg <a href=\"";
    for (char c : std::to_string(noteIndex)) amoxText.push_back(static_cast<char16_t>(c));
    amoxText += u"\">1</a> " + evil;
    w.setText(amoxField, amoxText);
    std::u16string page16 = u"<HTML><BODY><p onclick=\"alert(3)\" style=\"x\">Hi <a href=\"javascript:alert(4)\">js</a> "
                            u"<a href=\"";
    for (char c : std::to_string(w.indexOf(amox))) page16.push_back(static_cast<char16_t>(c));
    page16 += u"#top\">drug</a> <a href=\"http://example.org/a?b=1&c=2\">web</a> <a href=\"";
    for (char c : std::to_string(noteIndex)) page16.push_back(static_cast<char16_t>(c));
    page16 += u"\">note</a><SCRIPT>alert(5)</SCRIPT><iframe src=x></iframe><!-- <script>c</script> -->"
              u"<table border=1 onmouseover=alert(6)><tr><td>cell</td></tr></table><a href='";
    page16 += u"99999999'>gone</a> &amp; R&D <b>bold</p></BODY></HTML>";
    w.setText(html, page16);
    (void)key;
    at = {{"amox", 0}, {"doxy", 0}, {"page", 0}, {"tree", 0}, {"note", 0}, {"q1", 0}, {"yes", 0}, {"pos", 0}};
    if (!file.open(w)) return;
    // amox's cell links to the footnote by its real index.
    at["amox"] = w.indexOf(amox);
    at["doxy"] = w.indexOf(doxy);
    at["page"] = w.indexOf(page);
    at["tree"] = w.indexOf(tree);
    at["note"] = noteIndex;
    at["q1"] = w.indexOf(q1);
    at["yes"] = w.indexOf(yes);
    at["pos"] = w.indexOf(pos);
  }
};

std::vector<std::string> attributeValues(const std::string& html, const char* name) {
  std::vector<std::string> out;
  const std::regex re(std::string("\\b") + name + "=\"([^\"]*)\"");
  for (std::sregex_iterator it(html.begin(), html.end(), re), end; it != end; ++it) out.push_back((*it)[1]);
  return out;
}

std::string unescapeAmp(std::string s) {
  for (size_t p = s.find("&amp;"); p != std::string::npos; p = s.find("&amp;", p + 1)) s.erase(p + 1, 4);
  return s;
}

TEST(WebSite, EveryPathRendersAndEveryLinkResolves) {
  HostileGuide g;
  WebSite site(g.file.db);
  std::set<std::string> paths;
  site.forEachPath([&](const std::string& p) {
    EXPECT_TRUE(paths.insert(p).second) << "listed twice: " << p;
    return true;
  });
  EXPECT_TRUE(paths.count("o" + std::to_string(g.at["amox"]) + ".html"));
  EXPECT_TRUE(paths.count("o" + std::to_string(g.at["page"]) + ".html"));
  const std::string start = "t" + std::to_string(g.at["tree"]) + "-" + std::to_string(g.at["tree"]) + "-0-0.html";
  EXPECT_TRUE(paths.count(start));
  size_t links = 0;
  for (const std::string& p : paths) {
    const WebResponse r = site.render(p);
    ASSERT_EQ(r.status, 200) << p;
    if (p.size() < 5 || p.substr(p.size() - 5) != ".html") continue;
    std::vector<std::string> targets = attributeValues(r.body, "href");
    for (const std::string& s : attributeValues(r.body, "src")) targets.push_back(s);
    for (std::string t : targets) {
      t = unescapeAmp(t);
      if (t.rfind("http://", 0) == 0 || t.rfind("https://", 0) == 0) continue;
      const std::string file = t.substr(0, t.find('#'));
      if (file.empty()) continue;
      ++links;
      EXPECT_TRUE(paths.count(file)) << p << " links to " << t << ", which the export does not write";
    }
  }
  EXPECT_GT(links, 20u);
}

TEST(WebSite, ContentCannotInjectScriptOrHandlers) {
  HostileGuide g;
  WebSite site(g.file.db);
  site.forEachPath([&](const std::string& p) {
    if (p.size() < 5 || p.substr(p.size() - 5) != ".html") return true;
    const std::string body = site.render(p).body;
    size_t scripts = 0;
    for (size_t at = body.find("<script"); at != std::string::npos; at = body.find("<script", at + 1)) ++scripts;
    const size_t ours = (body.find("<script src=\"site.js\"></script>") != std::string::npos) +
                        (body.find("<script src=\"index-data.js\"></script>") != std::string::npos);
    EXPECT_EQ(scripts, ours) << p;
    EXPECT_EQ(body.find("<SCRIPT"), std::string::npos) << p;
    EXPECT_EQ(body.find("<img src=x"), std::string::npos) << p;
    EXPECT_EQ(body.find("<iframe"), std::string::npos) << p;
    EXPECT_EQ(body.find("javascript:"), std::string::npos) << p;
    EXPECT_EQ(std::regex_search(body, std::regex("<[^>]*\\son[a-z]+=")), false) << p;
    return true;
  });
  // The titles are shown as the reader's title bar shows them: whole tags
  // removed, what is left escaped.
  const std::string table = site.render("o" + std::to_string(g.at["amox"]) + ".html").body;
  EXPECT_NE(table.find("<title>Drugs alert(1)&lt;img src=x onerror=alert(2)&gt;&quot;&#39;&amp;</title>"),
            std::string::npos)
      << table;
  // index entries: plain text in JSON, never a closing tag the script element would end at.
  const std::string data = site.render("index-data.js").body;
  EXPECT_EQ(data.find("</script"), std::string::npos);
  EXPECT_NE(data.find("alert(1)\\u003cimg src=x onerror=alert(2)\\u003e\\\"'\\u0026\""), std::string::npos) << data;
}

// Titles, contents entries, index entries and table headings that carry
// entities and tags: decoded once, the reader's tags removed, escaped once.
TEST(WebSite, TitlesAreDecodedOnceAndEscapedOnce) {
  test::GuideFile file;
  ContentWriter w(u"guide");
  const std::u16string title = u"Renal &lt;script&gt;alert(1)&lt;/script&gt; &amp; hepatic&nbsp;<b>cautions</b>";
  const std::u16string shown = u"Renal alert(1) &amp; hepatic cautions";  // as HTML
  const H index = addText(w, 0, u"table", u"Index");
  w.setName(index, u"INDEX");
  const H toc = addText(w, 0, u"table", u"Contents");
  w.setName(toc, u"TOC");
  const H drugs = addText(w, 0, u"table", title);
  addText(w, drugs, u"table type", u"tight crt");
  const H group = addText(w, drugs, u"hierarchy item", u"Agents");
  const H amox = addText(w, group, u"hierarchy item", u"Amox &amp; clav &lt; 3 &gt; 1");
  addText(w, amox, u"field", u"500 mg");
  const H props = addText(w, drugs, u"hierarchy item", u"Properties");
  addText(w, props, u"hierarchy item", u"Dose&nbsp;&lt;b&gt;");
  const H picture = addText(w, 0, u"image", title);
  const H list = addText(w, 0, u"table", u"Lists");
  const H listed = addText(w, list, u"hierarchy item", title);
  addText(w, listed, u"hierarchy item", u"One");
  addText(w, listed, u"hierarchy item", u"Two");
  const H chapter = addText(w, toc, u"hierarchy item", title);
  addLink(w, addText(w, chapter, u"hierarchy item", u"A &lt; B &amp;amp; C"), amox);
  addLink(w, addText(w, index, u"hierarchy item", title), amox);
  ASSERT_TRUE(file.open(w));
  WebSite site(file.db);
  const std::string shownUtf8 = toUtf8(shown);

  auto page = [&](H h) { return site.render("o" + std::to_string(w.indexOf(h)) + ".html").body; };
  for (const std::string& body : {page(amox), page(picture), page(listed)}) {
    EXPECT_NE(body.find("<title>" + shownUtf8 + "</title>"), std::string::npos) << body;
    EXPECT_NE(body.find("<h1>" + shownUtf8 + "</h1>"), std::string::npos) << body;
  }
  const std::string table = page(amox);
  EXPECT_NE(table.find("Amox &amp; clav &lt; 3 &gt; 1"), std::string::npos) << table;
  EXPECT_NE(table.find("Dose &lt;b&gt;"), std::string::npos) << table;
  EXPECT_NE(page(picture).find("alt=\"" + shownUtf8 + "\""), std::string::npos);

  const std::string contents = site.render("contents.html").body;
  EXPECT_NE(contents.find(shownUtf8), std::string::npos) << contents;
  EXPECT_NE(contents.find("A &lt; B &amp;amp; C"), std::string::npos) << contents;  // "&amp;amp;" is "&amp;" shown

  const std::string json = site.render("index.json").body;
  EXPECT_NE(json.find("\"Renal alert(1) \\u0026 hepatic cautions\""), std::string::npos) << json;

  // Nothing shows an entity the reader decodes, nor a decoded "<" unescaped.
  for (const std::string& body : {table, page(picture), page(listed), contents, json}) {
    EXPECT_EQ(body.find("&amp;lt;"), std::string::npos) << body;
    EXPECT_EQ(body.find("&amp;nbsp;"), std::string::npos) << body;
    EXPECT_EQ(body.find("<script>"), std::string::npos) << body;
    EXPECT_EQ(body.find("&lt;script"), std::string::npos) << body;
  }
}

TEST(WebSite, ContentPagesKeepFormattingAndRewriteLinks) {
  HostileGuide g;
  WebSite site(g.file.db);
  const std::string page = site.render("o" + std::to_string(g.at["page"]) + ".html").body;
  EXPECT_NE(page.find("<a href=\"o" + std::to_string(g.at["amox"]) + ".html#top\">drug</a>"), std::string::npos)
      << page;
  EXPECT_NE(page.find("<a href=\"http://example.org/a?b=1&amp;c=2\">web</a>"), std::string::npos);
  EXPECT_NE(page.find("<a>js</a>"), std::string::npos) << page;
  EXPECT_NE(page.find("<table border=\"1\"><tr><td>cell</td></tr></table>"), std::string::npos);
  EXPECT_NE(page.find("&amp; R&amp;D <b>bold</p>"), std::string::npos);
  // A link to a footnote opens it in place.
  const std::string noteId = "fn" + std::to_string(g.at["note"]);
  EXPECT_NE(page.find("popovertarget=\"" + noteId + "\">note</button>"), std::string::npos) << page;
  EXPECT_NE(page.find("popover id=\"" + noteId + "\">A note &lt;script&gt;"), std::string::npos);
  // The table: headings, a compare bar, the key, the footnote in a cell.
  const std::string table = site.render("o" + std::to_string(g.at["amox"]) + ".html").body;
  EXPECT_NE(table.find("<button type=\"button\" class=\"compare\">Compare</button>"), std::string::npos);
  EXPECT_NE(table.find("class=\"key\""), std::string::npos);
  EXPECT_NE(table.find("popovertarget=\"" + noteId + "\""), std::string::npos) << table;
}

TEST(WebSite, DecisionTreeStepsAreAddresses) {
  HostileGuide g;
  WebSite site(g.file.db);
  const std::string t = std::to_string(g.at["tree"]), q1 = std::to_string(g.at["q1"]);
  const std::string yes = std::to_string(g.at["yes"]), pos = std::to_string(g.at["pos"]);
  const WebResponse start = site.render("t" + t + "-" + t + "-0-0.html");
  ASSERT_EQ(start.status, 200);
  EXPECT_NE(start.body.find("href=\"t" + t + "-" + q1 + "-0-0.html#" + q1 + "\""), std::string::npos) << start.body;
  // Answering yes fixes the exposure code and moves on to step 2.
  const WebResponse step1 = site.render("t" + t + "-" + q1 + "-0-0.html");
  ASSERT_EQ(step1.status, 200);
  const std::regex toStep2("href=\"t" + t + "-([0-9]+)-" + yes + "-0\\.html#([0-9]+)\"");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(step1.body, m, toStep2)) << step1.body;
  const WebResponse step2 = site.render("t" + t + "-" + m[1].str() + "-" + yes + "-0.html");
  ASSERT_EQ(step2.status, 200);
  EXPECT_NE(step2.body.find("EC one"), std::string::npos);
  // Both codes fixed: the result page shows the recommendation, escaped.
  const std::regex toResult("href=\"t" + t + "-([0-9]+)-" + yes + "-" + pos + "\\.html\"");
  ASSERT_TRUE(std::regex_search(step2.body, m, toResult)) << step2.body;
  const WebResponse result = site.render("t" + t + "-" + m[1].str() + "-" + yes + "-" + pos + ".html");
  ASSERT_EQ(result.status, 200);
  // The recommendation is the guide's HTML: kept as markup, its script dropped.
  EXPECT_NE(result.body.find("Take it &quot;&#39;&amp;\n"), std::string::npos) << result.body;
  EXPECT_NE(result.body.find("New evaluation"), std::string::npos);
  // Answers that do not fix the codes they stand for are not addresses.
  EXPECT_EQ(site.render("t" + t + "-" + q1 + "-" + pos + "-0.html").status, 404);
  EXPECT_EQ(site.render("t" + t + "-" + q1 + "-0-" + yes + ".html").status, 404);
  EXPECT_EQ(site.render("t" + q1 + "-" + q1 + "-0-0.html").status, 404);
}

TEST(WebSite, AddressesThatAreNotPagesAre404) {
  HostileGuide g;
  WebSite site(g.file.db);
  const std::string amox = std::to_string(g.at["amox"]);
  for (const std::string& p : std::vector<std::string>{"o0.html", "o4294967295.html", "o4294967296.html", "o99999999999999999999.html",
                              "o-1.html", "o0" + amox + ".html", "o" + amox + ".htm", "o" + amox, "../etc/passwd",
                              "o" + amox + ".html/..", "t1-2-3.html", "t--.html", "i" + amox + ".png", "x.html",
                              "o.html", ".html", "o" + amox + "-1.html", std::string("o1\0.html", 8)}) {
    EXPECT_EQ(site.render(p).status, 404) << p;
  }
  // An empty database answers the fixed pages and nothing else.
  ContentDatabase empty;
  WebSite none(empty);
  EXPECT_EQ(none.render("index.html").status, 200);
  EXPECT_EQ(none.render("o1.html").status, 404);
  EXPECT_EQ(none.render("index.json").body, "[]");
}

TEST(WebHtmlFilter, BrokenAndTrickyMarkup) {
  auto keep = [](std::u16string_view target, bool& footnote, ObjectIndex&) {
    footnote = false;
    return webAddress(target).empty() ? std::string("o1.html") : webAddress(target);
  };
  auto note = [](ObjectIndex, std::string_view label) { return std::string(label); };
  auto f = [&](std::u16string_view html) { return filterHtml(html, keep, note); };
  EXPECT_EQ(f(u"a < b > c"), "a &lt; b &gt; c");
  EXPECT_EQ(f(u"<b"), "&lt;b");
  EXPECT_EQ(f(u"<scr<script>ipt>alert(1)</script>"), "ipt&gt;alert(1)");
  EXPECT_EQ(f(u"<script>never closed"), "");
  EXPECT_EQ(f(u"<ScRiPt >x</sCrIpT >after"), "after");
  EXPECT_EQ(f(u"<a href='1'>open"), "<a href=\"o1.html\">open</a>");
  EXPECT_EQ(f(u"</a></b>"), "</b>");
  EXPECT_EQ(f(u"<p title=\"a>b\">t"), "<p>t");
  EXPECT_EQ(f(u"<td width=\"\" onload=\"x\" bgcolor='\"><script>'>"), "<td width=\"\" bgcolor=\"&quot;&gt;&lt;script&gt;\">");
  EXPECT_EQ(f(u"<a href=\"http://x/\" onclick=\"y\">w</a>"), "<a href=\"http://x/\">w</a>");
  EXPECT_EQ(f(u"<!-- unterminated"), "");
  EXPECT_EQ(f(u"&#60;&lt;&bogus &"), "&#60;&lt;&amp;bogus &amp;");
  EXPECT_EQ(webAddress(u"http://a\" onmouseover=\"x"), "");
  EXPECT_EQ(webAddress(u"javascript:alert(1)"), "");
  EXPECT_EQ(percentEncode(u"a b\"<é"), "a%20b%22%3C%C3%A9");
}

}  // namespace
}  // namespace vantrel
