#pragma once
// The page sources of the HTML pages: an object's own text in the guide's
// frame, the menu of an index entry, a text prepared elsewhere, and a table's
// key followed by the help text on using tables.
#include <string>
#include <string_view>

#include "core/content/ContentDatabase.h"
#include "core/page/PageSource.h"

namespace vantrel {

// The object's text in the guide's frame. With a child type name set, the
// text of the object's first child of that type is used instead (the object's
// own text when it has no such child). A text that is not a string gives the
// frame alone.
class ObjectTextPage : public PageSource {
 public:
  explicit ObjectTextPage(const ContentDatabase& database, std::u16string childType = {})
      : database_(&database), childType_(std::move(childType)) {}
  void setChildType(std::u16string type) { childType_ = std::move(type); }
  const std::u16string& childType() const { return childType_; }
  std::u16string pageText(ObjectIndex object) override;

 private:
  const ContentDatabase* database_;
  std::u16string childType_;
};

// The menu of an index entry: one link per "hierarchy item" child, grouped
// under a bold heading each time the table of the link target changes from
// the previous item's. Labels and headings go in as they are (they may carry
// markup). An item without a "link" child links to object 0 and starts no
// heading.
class MenuPage : public PageSource {
 public:
  explicit MenuPage(const ContentDatabase& database) : database_(&database) {}
  std::u16string pageText(ObjectIndex object) override;
  // The object's text: the page title.
  std::u16string pageTitle(ObjectIndex object) const;

 private:
  const ContentDatabase* database_;
};

// A text prepared before the page is shown (the calculator results); the same
// text whatever object is asked for, empty until set.
class FixedTextPage : public PageSource {
 public:
  explicit FixedTextPage(const ContentDatabase& database) : database_(&database) {}
  void setText(std::u16string text) { text_ = std::move(text); }
  std::u16string pageText(ObjectIndex) override { return text_; }
  const ContentDatabase& database() const { return *database_; }

 private:
  const ContentDatabase* database_;
  std::u16string text_;
};

// A table's key: the text of the "field" object followed by the help text on
// using tables, in the guide's frame.
class TableHelpPage : public PageSource {
 public:
  explicit TableHelpPage(const ContentDatabase& database) : database_(&database) {}
  std::u16string pageText(ObjectIndex object) override;

 private:
  const ContentDatabase* database_;
};

// The help text on using tables (1224 characters).
const std::u16string& tableHelpText();

}  // namespace vantrel
