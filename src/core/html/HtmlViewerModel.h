#pragma once
// What the HTML viewer shows: which page source (if any) renders an object,
// the page title, the page text, the anchor to scroll to, where a tapped link
// leads and what "New evaluation" opens. The window side only displays.
//
// Objects shown here, first rule first:
//   1. an object in a table whose table type is "html": its "html" child's text;
//   2. an item of the table titled "Index" (not the index object itself): a menu;
//   3. the page key "calc_result": the calculator results from the page data;
//   4. an object in a "decision tree" table: the decision-tree page;
//   5. a "field" in a "tight crt" table: the table help page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/page/PageSource.h"
#include "core/html/PageSources.h"
#include "core/page/PageKeys.h"
#include "core/tools/CrClCalculator.h"
#include "core/tools/DecisionTree.h"

namespace vantrel {

enum class HtmlSourceKind { none, html, menu, results, decisionTree, tableHelp };

// "html", "menu", "results", "decisionTree", "tableHelp"; empty for none.
std::string_view htmlSourceName(HtmlSourceKind kind);

// The page keys the HTML viewer looks at.
struct HtmlPageKeys {
  ObjectIndex index = 0;       // the object named "INDEX"
  ObjectIndex calcResult = 0;  // the first page-key object (objectCount + 0)
  // The content's "INDEX" object and objectCount, as the page-key table has them.
  static HtmlPageKeys fromDatabase(const ContentDatabase& database);
  // pageKeys["index"] and pageKeys["calc_result"].
  static HtmlPageKeys fromPageKeys(const PageKeys& keys);
};

struct HtmlSelection {
  HtmlSourceKind source = HtmlSourceKind::none;
  std::u16string title;
  // The object is a decision tree's own table: opening it starts over.
  bool opensDecisionTree = false;
};

// The selection rules alone. The title of a decision-tree page is the text
// of the tree the object belongs to.
HtmlSelection selectHtmlPage(const ContentDatabase& database, const HtmlPageKeys& keys, ObjectIndex object);

// A navigation the viewer asks the main frame for (always hiding the keyboard).
struct HtmlNavigation {
  ObjectIndex object = 0;
  std::vector<uint8_t> data;
};

class HtmlViewerModel {
 public:
  HtmlViewerModel(const ContentDatabase& database, HtmlPageKeys keys);
  HtmlViewerModel(const HtmlViewerModel&) = delete;
  HtmlViewerModel& operator=(const HtmlViewerModel&) = delete;

  // Takes the page when a rule applies: chooses the source, prepares the
  // results from the page data, reads the anchor from a decision-tree page's
  // data, and remembers the object to load. False (nothing changed) otherwise.
  bool show(ObjectIndex object, const uint8_t* data = nullptr, size_t length = 0);

  HtmlSourceKind currentSource() const { return current_; }
  const std::u16string& title() const { return title_; }
  const std::u16string& anchor() const { return anchor_; }
  ObjectIndex objectToShow() const { return objectToShow_; }
  // The "New evaluation" bar goes below decision-tree pages only.
  bool showsRestartBar() const { return current_ == HtmlSourceKind::decisionTree; }
  // The page the pane loads after the layout; nothing is loaded for object 0.
  bool hasPageToLoad() const { return current_ != HtmlSourceKind::none && objectToShow_ != 0; }
  std::u16string pageText();
  PageSource* currentPageSource();

  // A link tapped in the page, as its leading object number.
  HtmlNavigation linkTapped(ObjectIndex linkId);
  // "New evaluation": the tree last opened, no page data. When no tree has
  // been opened in this run (a question page reached from a bookmark), the
  // tree of the page shown.
  HtmlNavigation restart() const;

  ObjectTextPage& htmlPage() { return htmlPage_; }
  MenuPage& menuPage() { return menuPage_; }
  FixedTextPage& resultsPage() { return resultsPage_; }
  TableHelpPage& tableHelpPage() { return tableHelpPage_; }
  DecisionTreePage& decisionTreePage() { return decisionTreePage_; }
  const HtmlPageKeys& keys() const { return keys_; }

 private:
  const ContentDatabase* database_;
  HtmlPageKeys keys_;
  ObjectTextPage htmlPage_;
  MenuPage menuPage_;
  DecisionTreePage decisionTreePage_;
  FixedTextPage resultsPage_;
  TableHelpPage tableHelpPage_;
  HtmlSourceKind current_ = HtmlSourceKind::none;
  std::u16string title_;
  std::u16string anchor_;
  ObjectIndex objectToShow_ = 0;
  ObjectIndex decisionTreeRoot_ = 0;
};

}  // namespace vantrel
