#pragma once
// A small guide with every kind of hierarchy the tree viewers show, written
// with ContentWriter into a temporary folder.
//
//   table "Contents" (named TOC)
//     "Notice" (leaf, no link)
//     "Ch<b>1</b>" [ "Sec 1.1" [ "Leaf a" -> link Page, "Leaf b" ], "Sec 1.2" ]
//     "Line<br>two &amp; more" [ "Deep" [ "Deeper" [ "Deepest" ] ] ]
//   table "Spectrum" (type "tight crt", a footnote)
//     A [ all ]   B [ G [ r1 r2 ] r3 ]   C [ c1 c2 ]
//   table "Mono" (type "tight hierarchy"; field names "Class", "", "Dose", "Notes")
//     "Group" [ "Drug" (fields: "Pen", "no name", 0, "Note"), "Bare" (no fields), "Linked" -> Page ]
//   table "Sites" (type "linked tight hierarchy"; field name "F")
//     "Site" [ "Cond" (field "x") ]
//   table "Page" (type "html"): item "h1"
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "WrittenGuide.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"

namespace vantrel::test {

struct HierarchyFolder : TempFolder {
  HierarchyFolder() : TempFolder("vantrel-tree") {}
};

struct HierarchyGuide : WrittenGuide {
  HierarchyGuide() : WrittenGuide("vantrel-tree") {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    auto add = [&](H parent, const std::u16string& type, const std::u16string& text, const std::u16string& key) {
      const H h = w.add(parent, type);
      w.setText(h, text);
      if (!key.empty()) names[key] = h;
      return h;
    };
    auto item = [&](H parent, const std::u16string& text, const std::u16string& key) {
      return add(parent, u"hierarchy item", text, key);
    };

    const H toc = add(0, u"table", u"Contents", u"toc");
    w.setName(toc, u"TOC");
    item(toc, u"Notice", u"notice");
    const H ch1 = item(toc, u"Ch<b>1</b>", u"ch1");
    const H s11 = item(ch1, u"Sec 1.1", u"s11");
    const H leafA = item(s11, u"Leaf a", u"leafA");
    item(s11, u"Leaf b", u"leafB");
    item(ch1, u"Sec 1.2", u"s12");
    const H ch2 = item(toc, u"Line<br>two &amp; more", u"ch2");
    const H deep = item(ch2, u"Deep", u"deep");
    const H deeper = item(deep, u"Deeper", u"deeper");
    item(deeper, u"Deepest", u"deepest");

    const H spectrum = add(0, u"table", u"Spectrum", u"spectrum");
    add(spectrum, u"table type", u"tight crt", u"");
    add(spectrum, u"footnote", u"A note", u"");
    item(item(spectrum, u"A", u"A"), u"all", u"all");
    const H b = item(spectrum, u"<i>B</i>", u"B");
    const H g = item(b, u"G", u"G");
    item(g, u"r1", u"r1");
    item(g, u"r2", u"r2");
    item(b, u"r3", u"r3");
    const H c = item(spectrum, u"C", u"C");
    item(c, u"c1", u"c1");
    item(c, u"c2", u"c2");

    const H mono = add(0, u"table", u"Mono", u"mono");
    add(mono, u"table type", u"tight hierarchy", u"");
    for (const char16_t* n : {u"Class", u"", u"Dose", u"Notes"}) add(mono, u"field name", n, u"");
    const H group = item(mono, u"Group", u"group");
    const H drug = item(group, u"Drug", u"drug");
    names[u"f1"] = add(drug, u"field", u"Pen", u"");
    names[u"f2"] = add(drug, u"field", u"no name", u"");
    names[u"f3"] = w.add(drug, u"field");  // empty: value 0
    names[u"f4"] = add(drug, u"field", u"Note <a href=\"1\">x</a>", u"");
    item(group, u"Bare", u"bare");
    const H linked = item(group, u"Linked", u"linked");

    const H sites = add(0, u"table", u"Sites", u"sites");
    add(sites, u"table type", u"linked tight hierarchy", u"");
    add(sites, u"field name", u"F", u"");
    add(item(item(sites, u"Site", u"site"), u"Cond", u"cond"), u"field", u"x", u"");

    const H page = add(0, u"table", u"Page", u"page");
    add(page, u"table type", u"html", u"");
    item(page, u"h1", u"h1");
    w.setLink(w.add(leafA, u"link"), page);
    w.setLink(w.add(linked, u"link"), page);

    open(w);
    for (auto& [name, handle] : names) index[name] = w.indexOf(handle);
  }
  ObjectIndex operator[](const std::u16string& name) const { return index.at(name); }

  std::map<std::u16string, ContentWriter::Handle> names;
  std::map<std::u16string, ObjectIndex> index;
};

}  // namespace vantrel::test
