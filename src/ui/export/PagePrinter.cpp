#include "ui/export/PagePrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/HierarchySource.h"
#include "core/hierarchy/TightHierarchyModel.h"
#include "core/html/HtmlViewerModel.h"
#include "core/images/ImageBlob.h"
#include "core/images/ImageViewerModel.h"
#include "ui/images/PictureDecoder.h"
#include "core/lists/IndexSource.h"
#include "core/lists/ListViewerModels.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/page/PageKeys.h"
#include "core/tables/TightCrtTable.h"
#include "core/tools/CrClForm.h"

namespace vantrel {
namespace {

const QString kPictureUrl = QStringLiteral("vantrel-picture:page");

QString q(const std::u16string& s) { return QString::fromStdU16String(s); }
QString plain(const std::u16string& s) { return q(s).toHtmlEscaped(); }
// Markup of cells and lists is a small subset of HTML: kept as it is.
QString markup(const std::u16string& s) { return q(s); }

struct Printable {
  QString html;
  QString title;
  QImage picture;
  bool table = false;
  uint32_t columns = 0;
};

PageKeys keysOf(const ContentDatabase& db) {
  PageKeys keys;
  keys.build(db.objectCount(), [&](std::u16string_view name) { return db.objectByName(name); });
  return keys;
}

QString heading(const QString& title) { return "<h2>" + title.toHtmlEscaped() + "</h2>"; }

void listEntries(const IndexSource& source, QString& html, const std::function<QString(uint32_t)>& extra = {}) {
  html += "<ul>";
  for (uint32_t i = 0; i < source.itemCount(); ++i) {
    html += "<li>" + markup(source.itemAt(i).text);
    if (extra) html += extra(i);
    html += "</li>";
  }
  html += "</ul>";
}

void treeEntries(const HierarchySource& source, ObjectIndex at, int depth, QString& html, uint32_t& budget) {
  const std::vector<HierarchyEntry> children = source.listChildren(at);
  if (children.empty() || depth > 32) return;
  html += "<ul>";
  for (const HierarchyEntry& e : children) {
    if (budget == 0) break;
    --budget;
    html += "<li>" + plain(e.text);
    if (!source.isLeaf(e.object)) treeEntries(source, e.object, depth + 1, html, budget);
    html += "</li>";
  }
  html += "</ul>";
}

Printable build(const ContentDatabase& db, ObjectIndex object, const PrintSettings& settings) {
  Printable out;
  if (object >= db.objectCount()) return out;
  const PageKeys keys = keysOf(db);
  std::u16string text;

  // In the order the reader offers a page to its viewers.
  if (footnoteText(db, object, text) || popupText(db, object, text) || footnotesText(db, object, text)) {
    out.title = isOfType(db, object, u"footnotes") ? "Footnotes" : "Footnote";
    out.html = heading(out.title) + "<p>" + markup(text) + "</p>";
    return out;
  }
  if (object == keys["index"] && object != 0) {
    IndexSource source;
    source.bind(&db, object, u"hierarchy item");
    textOf(db, object, text);
    out.title = q(text);
    out.html = heading(out.title);
    listEntries(source, out.html);
    return out;
  }
  const HierarchySourceKind contents = contentsSourceFor(db, object, keys["toc"]);
  if (contents != HierarchySourceKind::None || tightHierarchyTableOf(db, object) != 0) {
    const ObjectIndex root = contents != HierarchySourceKind::None ? hierarchyRootFor(db, object)
                                                                   : tightHierarchyTableOf(db, object);
    BasicHierarchySource basic(db);
    TightCrtHierarchySource tight(db);
    const HierarchySource& source =
        contents == HierarchySourceKind::TightCrt ? static_cast<const HierarchySource&>(tight) : basic;
    enclosingTableTitle(db, object, text);
    out.title = q(text);
    out.html = heading(out.title);
    uint32_t budget = 200000;
    treeEntries(source, root, 0, out.html, budget);
    return out;
  }
  HtmlViewerModel html(db, HtmlPageKeys::fromDatabase(db));
  if (html.show(object) && html.hasPageToLoad()) {
    out.title = q(html.title());
    out.html = q(html.pageText());
    return out;
  }
  if (ImageViewerModel::accepts(db, object)) {
    textOf(db, object, text);
    out.title = q(MarkupRenderer::stripAllTags(text));
    uint32_t blob = 0;
    imageBlobNumber(db, object, blob);
    const ImageBlobLayout layout = readImageBlobLayout(db, blob);
    const uint32_t chosen = chooseImageVariant(layout, settings.screen, settings.dpi, settings.dpi);
    std::vector<uint8_t> bytes;
    const VariantRange range = variantRange(layout, chosen);
    if (range.ok() && readVariantBytes(db, blob, range, bytes)) out.picture = decodePicture(bytes);
    out.html = heading(out.title);
    if (!out.picture.isNull()) out.html += "<p><img src=\"" + kPictureUrl + "\"></p>";
    ContentCursor note(db, object);
    if (note.valid() && note.toChildOfType(u"note") && note.text(text)) out.html += "<p>" + markup(text) + "</p>";
    return out;
  }
  if (calculatorShows(db, object)) {
    textOf(db, object, text);
    out.title = q(text);
    out.html = heading(out.title) + "<p>The calculator is used on screen.</p>";
    return out;
  }
  if (object == keys["tools"] && object != 0) {
    KeyViewerModel key(&db, keys);
    key.show(object);
    out.title = q(key.title());
    out.html = heading(out.title);
    listEntries(key.source(), out.html, [&](uint32_t i) {
      const std::u16string explanation = key.explanationText(key.source().objectAt(i));
      return explanation.empty() ? QString() : ": " + markup(explanation);
    });
    return out;
  }
  DualListModel dual(&db);
  if (dual.show(object)) {
    out.title = q(dual.title());
    out.html = heading(out.title);
    const IndexSource* lists[] = {&dual.upper(), &dual.lower()};
    for (int side = 0; side < 2; ++side) {
      textOf(db, lists[side]->object(), text);
      out.html += "<h3>" + plain(text) + "</h3>";
      listEntries(*lists[side], out.html, [&](uint32_t i) {
        const int64_t other = dual.counterpart(side == 0, i);
        if (other < 0) return QString();
        return " &#8594; " + markup(lists[1 - side]->itemAt(uint32_t(other)).text);
      });
    }
    return out;
  }
  if (TightCrtTable::accepts(db, object)) {
    TightCrtTable table(db);
    table.buildTable(object);
    textOf(db, object, text);
    out.title = q(text);
    out.table = true;
    QString& h = out.html;
    h = heading(out.title) + "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">";
    const uint32_t rows = table.rowCount(), columns = table.columnCount();
    out.columns = columns;
    for (uint32_t r = 0; r < rows; ++r) {
      if (r == 0) h += "<thead>";
      if (r == 1) h += "<tbody>";
      h += "<tr>";
      for (uint32_t c = 0; c < columns; ++c) {
        TableCell cell;
        table.cellAt(r, c, cell);
        const char* tag = r == 0 || c == 0 ? "th" : "td";
        h += QString("<%1 bgcolor=\"#%2%3%4\">").arg(tag)
                 .arg(cell.colour & 0xFF, 2, 16, QChar('0'))
                 .arg((cell.colour >> 8) & 0xFF, 2, 16, QChar('0'))
                 .arg((cell.colour >> 16) & 0xFF, 2, 16, QChar('0'));
        h += markup(cell.text) + QString("</%1>").arg(tag);
      }
      h += "</tr>";
      if (r == 0) h += "</thead>";
    }
    if (rows > 1) h += "</tbody>";
    h += "</table>";
    if (const ObjectIndex key = table.keyObject(); key != 0 && textOf(db, key, text))
      h += "<p>" + markup(text) + "</p>";
    return out;
  }
  return out;
}

// The first table of the document repeats its first row on every page.
void repeatHeadings(QTextDocument& doc) {
  for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
      QTextTableFormat format = table->format();
      format.setHeaderRowCount(1);
      table->setFormat(format);
      return;
    }
  }
}

}  // namespace

QString printableHtml(const ContentDatabase& database, ObjectIndex object, const PrintSettings& settings,
                      QString* title) {
  Printable p = build(database, object, settings);
  if (title) *title = p.title;
  return p.html;
}

QString printFooterText(const ContentDatabase& database) {
  std::u16string name;
  textOf(database, 0, name);
  QString title = name.empty() ? QStringLiteral("Vantrel Guide 2007") : q(MarkupRenderer::stripAllTags(name));
  const ContentLayout& l = database.layout();
  return title + QString(" \u2013 edition %1.%2").arg(l.dataStamp[0]).arg(l.dataStamp[1]);
}

int printPage(const ContentDatabase& database, ObjectIndex object, QPagedPaintDevice& device,
              const PrintSettings& settings, QString* error) {
  Printable p = build(database, object, settings);
  if (p.html.isEmpty()) {
    if (error) *error = QString("no viewer shows object %1").arg(object);
    return 0;
  }
  // A wide table is printed across the paper, in a smaller type.
  if (p.table && p.columns > 6) device.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  if (!painter.begin(&device)) {
    if (error) *error = QStringLiteral("cannot paint on the printer or file");
    return 0;
  }
  const int dpi = device.logicalDpiX();
  const QRect paint = device.pageLayout().paintRectPixels(dpi);
  QFont body(QStringLiteral("DejaVu Sans"));
  body.setPointSizeF(p.table ? (p.columns > 12 ? 6 : 8) : 10);
  QFont small = body;
  small.setPointSizeF(8);
  painter.setFont(small);
  const int footerHeight = painter.fontMetrics().height() * 2;
  const QSizeF page(paint.width(), paint.height() - footerHeight);

  QTextDocument doc;
  doc.documentLayout()->setPaintDevice(&device);
  doc.setDefaultFont(body);
  if (!p.picture.isNull()) {
    QImage picture = p.picture;
    const int maxW = int(page.width() * 0.9), maxH = int(page.height() * 0.8);
    if (picture.width() > maxW || picture.height() > maxH)
      picture = picture.scaled(maxW, maxH, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    doc.addResource(QTextDocument::ImageResource, QUrl(kPictureUrl), picture);
  }
  doc.setHtml(p.html);
  if (p.table) repeatHeadings(doc);
  doc.setPageSize(page);
  const int pages = std::max(1, doc.pageCount());
  const QString footer = printFooterText(database);
  for (int i = 0; i < pages; ++i) {
    if (i > 0) device.newPage();
    painter.save();
    painter.translate(0, -i * page.height());
    doc.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
    painter.restore();
    painter.setFont(small);
    painter.setPen(Qt::black);
    const QRectF foot(0, page.height(), page.width(), footerHeight);
    painter.drawLine(QPointF(0, page.height() + footerHeight * 0.25), QPointF(page.width(), page.height() + footerHeight * 0.25));
    painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, footer);
    painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QString("Page %1 of %2").arg(i + 1).arg(pages));
  }
  painter.end();
  return pages;
}

}  // namespace vantrel
