#pragma once
// What a viewer offers scripted runs, each as a small interface the viewer
// implements. The viewer's factory hands them to the host with the viewer
// (ViewerCapabilities), so the script runner never needs the concrete class.
#include <QJsonObject>
#include <QString>
#include <string>

#include "core/shell/ScriptCommand.h"

class QWidget;

namespace vantrel {

class HierarchyTreePane;

// A viewer that reports its own section of the state.
class ScriptStateSection {
 public:
  virtual ~ScriptStateSection() = default;
  virtual QJsonObject scriptState() const = 0;
};

// A viewer whose page has links a script can follow (`link`).
class ScriptLinkTarget {
 public:
  virtual ~ScriptLinkTarget() = default;
  // Whether the page with the links is on screen.
  virtual bool linksShown() const = 0;
  // Follows the link to href; false with error set when the page has none.
  virtual bool followLink(const std::string& href, std::string& error) = 0;
};

// A viewer with controls that a script reaches by child id (`focus`, `click`).
class ScriptControls {
 public:
  virtual ~ScriptControls() = default;
  // The control with that child id while the viewer's controls are shown; null otherwise.
  virtual QWidget* shownControl(int id) = 0;
};

// A viewer showing a tree whose items a script expands and collapses.
class ScriptTree {
 public:
  virtual ~ScriptTree() = default;
  // The tree while it is shown; null otherwise.
  virtual HierarchyTreePane* shownTree() = 0;
};

// A viewer that builds the search index in the background (`wait-index`).
class ScriptIndexBuild {
 public:
  virtual ~ScriptIndexBuild() = default;
  virtual bool indexBuilding() const = 0;
};

// Follows a link of an HTML control (anything with activateLink(QString)),
// with the message a script shows when the page has no such link.
template <class Control>
bool followLinkIn(Control& control, const std::string& href, std::string& error) {
  if (control.activateLink(QString::fromStdString(href))) return true;
  error = "the page shown has no link to '" + clipForMessage(href) + "'";
  return false;
}

}  // namespace vantrel
