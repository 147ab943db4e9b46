#include "core/html/HtmlViewerModel.h"

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {

std::string_view htmlSourceName(HtmlSourceKind kind) {
  switch (kind) {
    case HtmlSourceKind::html: return "html";
    case HtmlSourceKind::menu: return "menu";
    case HtmlSourceKind::results: return "results";
    case HtmlSourceKind::decisionTree: return "decisionTree";
    case HtmlSourceKind::tableHelp: return "tableHelp";
    case HtmlSourceKind::none: break;
  }
  return {};
}

HtmlPageKeys HtmlPageKeys::fromDatabase(const ContentDatabase& database) {
  return HtmlPageKeys{database.objectByName(u"INDEX"), database.objectCount()};
}

HtmlPageKeys HtmlPageKeys::fromPageKeys(const PageKeys& keys) {
  return HtmlPageKeys{keys["index"], keys["calc_result"]};
}

HtmlSelection selectHtmlPage(const ContentDatabase& db, const HtmlPageKeys& keys, ObjectIndex object) {
  HtmlSelection s;
  if (tableTypeIs(db, object, u"html")) {
    s.source = HtmlSourceKind::html;
    enclosingTableTitle(db, object, s.title);
  } else if (object != keys.index && tableNamed(db, object, u"Index")) {
    s.source = HtmlSourceKind::menu;
    textOf(db, object, s.title);
  } else if (object == keys.calcResult) {
    s.source = HtmlSourceKind::results;
    s.title = std::u16string(kCrClResultsTitle);
  } else if (tableTypeIs(db, object, u"decision tree")) {
    s.source = HtmlSourceKind::decisionTree;
    s.opensDecisionTree = hasChildOfType(db, object, u"table type");
    enclosingTableTitle(db, object, s.title);
  } else if (tableTypeIs(db, object, u"tight crt") && isOfType(db, object, u"field")) {
    s.source = HtmlSourceKind::tableHelp;
    enclosingTableTitle(db, object, s.title);
  }
  return s;
}

HtmlViewerModel::HtmlViewerModel(const ContentDatabase& database, HtmlPageKeys keys)
    : database_(&database),
      keys_(keys),
      htmlPage_(database, u"html"),
      menuPage_(database),
      decisionTreePage_(database),
      resultsPage_(database),
      tableHelpPage_(database) {}

bool HtmlViewerModel::show(ObjectIndex object, const uint8_t* data, size_t length) {
  HtmlSelection s = selectHtmlPage(*database_, keys_, object);
  if (s.source == HtmlSourceKind::none) return false;
  if (s.opensDecisionTree) {
    decisionTreePage_.resetDecisionTree(object);
    decisionTreeRoot_ = object;
  }
  current_ = s.source;
  title_ = std::move(s.title);
  if (current_ == HtmlSourceKind::results) {
    resultsPage_.setText(buildCrClResultsPage(*database_, decodeCrClResult(data, length)));
  }
  anchor_.clear();
  if (current_ == HtmlSourceKind::decisionTree && length != 0) anchor_ = decodeAnchorData(data, length);
  objectToShow_ = object;
  return true;
}

PageSource* HtmlViewerModel::currentPageSource() {
  switch (current_) {
    case HtmlSourceKind::html: return &htmlPage_;
    case HtmlSourceKind::menu: return &menuPage_;
    case HtmlSourceKind::results: return &resultsPage_;
    case HtmlSourceKind::decisionTree: return &decisionTreePage_;
    case HtmlSourceKind::tableHelp: return &tableHelpPage_;
    case HtmlSourceKind::none: break;
  }
  return nullptr;
}

std::u16string HtmlViewerModel::pageText() {
  PageSource* source = currentPageSource();
  if (!source || objectToShow_ == 0) return std::u16string();
  return source->pageText(objectToShow_);
}

HtmlNavigation HtmlViewerModel::linkTapped(ObjectIndex linkId) {
  if (current_ == HtmlSourceKind::decisionTree) {
    DecisionTreeStep step = decisionTreePage_.followDecisionTreeLink(linkId);
    return HtmlNavigation{step.object, encodeAnchorData(step.anchor)};
  }
  return HtmlNavigation{linkId, {}};
}

}  // namespace vantrel

namespace vantrel {

HtmlNavigation HtmlViewerModel::restart() const {
  ObjectIndex tree = decisionTreeRoot_;
  if (tree == 0 && current_ == HtmlSourceKind::decisionTree) {
    ContentCursor cursor;
    if (cursor.open(*database_, objectToShow_)) {
      if (!isOfType(*database_, cursor.index(), u"table")) cursor.toAncestorOfType(u"table");
      tree = cursor.index();
    }
  }
  return HtmlNavigation{tree, {}};
}

}  // namespace vantrel
