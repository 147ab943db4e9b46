#include "ui/popups/FootnotesViewer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTimer>
#include <cstring>

#include "core/content/ContentQueries.h"
#include "core/page/MainFrame.h"

namespace vantrel {

namespace {

// Remembers where the last press went down anywhere in the program (the
// footnote of a tapped link opens there).
class PenTracker : public QObject {
 public:
  static PenTracker& instance() {
    static PenTracker* tracker = [] {
      auto* t = new PenTracker;
      if (QCoreApplication::instance()) {
        t->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(t);
      }
      return t;
    }();
    return *tracker;
  }
  bool known = false;
  QPoint last;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonPress) {
      known = true;
      last = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
    }
    return QObject::eventFilter(o, e);
  }
};

}  // namespace

FootnoteHost::FootnoteHost(QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi)
    : LayoutWidget(pageArea, "footnotes"), popup_(new FootnotePopup(mainWindow, dpi)) {
  setObjectName("footnotes");
  popup_->setProperty("childId", 1001);
  popup_->setFont(guideFontDescription(dpi.y()));
  // Links inside footnotes do not navigate.
  popup_->setListener(nullptr);
  popup_->setHiddenHandler([this] {
    if (presented_ && !toDialog_ && onClosed_) onClosed_();
  });
}

FootnoteHost::~FootnoteHost() { delete popup_.data(); }

void FootnoteHost::prepare(const std::u16string& text, QPoint anchor, const std::u16string& title, bool fullView) {
  block_ = TextBlock(text);
  anchor_ = anchor;
  title_ = title;
  fullView_ = fullView;
  presented_ = false;
  toDialog_ = false;
}

bool FootnoteHost::present() {
  if (presented_) return toDialog_;
  presented_ = true;
  toDialog_ = false;
  TextBlock block = block_;
  toDialog_ = popup_->show(block, anchor_, title_, fullView_, true);
  return toDialog_;
}

void FootnoteHost::showEvent(QShowEvent*) { present(); }

FootnotesViewer::FootnotesViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea,
                                 QWidget* mainWindow, ScreenDpi dpi)
    : ContentViewer(&database, &frame), mainWindow_(mainWindow), host_(new FootnoteHost(pageArea, mainWindow, dpi)) {
  PenTracker::instance();
  host_->setGeometry(0, 0, 0, 0);
  host_->hide();
  host_->setClosedHandler([this] {
    // The next tap closed the popup: back to the page underneath.
    if (closing_) return;
    closing_ = true;
    QTimer::singleShot(0, host_, [this] {
      closing_ = false;
      if (host_->isVisible()) frame_->closeOverlay();
    });
  });
}

FootnotesViewer::~FootnotesViewer() { delete host_; }

bool FootnotesViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  std::u16string text, kind, title;
  bool fullView = false;
  if (footnoteText(*database_, object, text)) {
    kind = u"footnote";
    title = u"Footnote";
  } else if (popupText(*database_, object, text)) {
    kind = u"popup";
  } else if (footnotesText(*database_, object, text)) {
    kind = u"footnotes";
    title = u"Footnotes";
    fullView = true;
  } else {
    return false;
  }
  QPoint anchor;
  if (fullView) {
    const QRect r(mainWindow_->mapToGlobal(QPoint(0, 0)), mainWindow_->size());
    anchor = r.center();
  } else if (data && length >= 8) {
    int32_t xy[2];
    std::memcpy(xy, data, sizeof xy);
    anchor = QPoint(xy[0], xy[1]);
  } else {
    const PenTracker& pen = PenTracker::instance();
    anchor = pen.known ? pen.last : QCursor::pos();  // the last pen position
  }
  object_ = object;
  kind_ = kind;
  title_ = title;
  text_ = text;
  toDialog_ = false;
  host_->prepare(text, anchor, title, fullView);
  addLayoutItem(host_, 4);
  frame_->enterOverlay();
  return true;
}

void FootnotesViewer::afterLayout() {
  toDialog_ = host_->present();
  // No popup is on screen when the text went to the dialog.
  if (toDialog_) frame_->closeOverlay();
}

QJsonObject FootnotesViewer::scriptState() const {
  QJsonObject o;
  o["object"] = static_cast<qint64>(object_);
  o["kind"] = QString::fromStdU16String(kind_);
  o["title"] = QString::fromStdU16String(title_);
  o["text"] = QString::fromStdU16String(text_);
  // Known before the (modal) dialog returns.
  o["dialog"] = host_->popup()->lastWentToDialog();
  return o;
}

}  // namespace vantrel
