#pragma once
// Where an interactive reader's window opens: where it was when it was last
// closed, or the first time at a size comfortable for the desktop (two
// thirds of the available area, centred) rather than the device's screen.
// The place is kept in the settings file, section [Window].
#include <QRect>
#include <QString>

namespace vantrel {

// The saved geometry when it still fits the available area (at least a
// quarter of it on screen, no larger than it), else the first-time one.
QRect initialWindowGeometry(const QString& settingsFile, const QRect& available);
// Keeps geometry for the next start; false when the file cannot be written.
bool saveWindowGeometry(const QString& settingsFile, const QRect& geometry);

// The zoom kept in the settings file (section [View], key Zoom), within what
// the reader accepts; 100 when none is kept or the value is not a number.
int savedZoom(const QString& settingsFile);
// Keeps zoom for the next start; false when the file cannot be written.
bool saveZoom(const QString& settingsFile, int zoom);

}  // namespace vantrel
