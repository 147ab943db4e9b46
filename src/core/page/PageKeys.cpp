#include "core/page/PageKeys.h"

namespace vantrel {

uint32_t PageKeys::operator[](std::string_view key) const {
  for (const auto& e : entries_)
    if (e.first == key) return e.second;
  return 0;
}

void PageKeys::set(std::string key, uint32_t object) {
  for (auto& e : entries_)
    if (e.first == key) {
      e.second = object;
      return;
    }
  entries_.emplace_back(std::move(key), object);
}

void PageKeys::build(uint32_t objectCount, const std::function<uint32_t(std::u16string_view)>& byName) {
  entries_.clear();
  set("index", byName(u"INDEX"));
  set("toc", byName(u"TOC"));
  set("about_qd", byName(u"AboutVantrelGuide"));
  set("about", byName(u"AboutKORVAX"));
  set("notice", byName(u"LegitimacyNotice"));
  set("tools", byName(u"Abbreviations"));
  set("calc_result", objectCount + 0);
  set("bookmarks", objectCount + 1);
  set("add_bookmark", objectCount + 2);
  set("notes", objectCount + 3);
  set("home", objectCount + 4);
  set("index_search", objectCount + 5);
  // The full-text search page: a seventh pseudo object after the six.
  set("search", objectCount + 6);
}

}  // namespace vantrel
