#pragma once
// What a scripted run reports about the screen, and the screenshot of what
// the user sees (the main window with any open popup drawn over it).
#include <QAction>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <vector>

#include "core/platform/KeyboardService.h"
#include "core/platform/MessageService.h"
#include "core/shell/Application.h"
#include "ui/shell/ScriptCapabilities.h"

class QMenu;
class QWidget;

namespace vantrel {

class GuideHost;

QJsonObject collectState(Application& app, GuideHost& host, const KeyboardService& keyboard,
                         const std::vector<ScriptedMessages::Shown>& messages, bool exited);
// The items of a menu that can be chosen (separators left out), in order.
QList<QAction*> menuItems(QMenu* menu);
QImage takeScreenshot(QWidget* mainWindow);

}  // namespace vantrel
