// vantrel-dump DIR pdf I OUT.pdf [--screen WxH] [--dpi D]: the page object I
// shows, written as a PDF the way Ctrl+P prints it (HTML pages as laid out,
// tables in full with their headings on every page, lists and trees as
// their entries, a footer with the guide, the edition and the page number).
#include "DumpCommand.h"

#ifdef VANTREL_HAVE_UI
#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include <filesystem>
#include <optional>

#include "ui/export/PagePrinter.h"
#include "core/util/FileOps.h"
#endif

namespace vantrel::dump {
namespace {

#ifdef VANTREL_HAVE_UI
void pdf(DumpContext& ctx, DumpOutput& out) {
  static const char* kUsage = "usage: pdf I OUT.pdf [--screen WxH] [--dpi D]";
  PrintSettings settings;
  std::vector<std::string> words;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--screen" || a == "--dpi") {
      if (i + 1 >= ctx.args.size()) throw UsageError{a + " needs a value; " + kUsage};
      const std::string& v = ctx.args[++i];
      if (a == "--screen") {
        const size_t x = v.find('x');
        if (x == std::string::npos) throw UsageError{"--screen takes WxH, for example 240x320: '" + v + "'"};
        const uint32_t w = parseIndex(v.substr(0, x), "--screen width");
        const uint32_t h = parseIndex(v.substr(x + 1), "--screen height");
        if (w < 1 || h < 1 || w > 65535 || h > 65535) throw UsageError{"--screen sides must be between 1 and 65535"};
        settings.screen = {int(w), int(h)};
      } else {
        const uint32_t d = parseIndex(v, "--dpi");
        if (d < 1 || d > 1000) throw UsageError{"--dpi must be between 1 and 1000"};
        settings.dpi = int(d);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError{"unknown option '" + a + "'; " + kUsage};
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 2 || words[1].empty()) throw UsageError{kUsage};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = objectArg(db, words[0]);

  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vantrel-dump";
  static char* argv[] = {name, nullptr};
  std::optional<QGuiApplication> app;
  if (!QGuiApplication::instance()) app.emplace(argc, argv);

  // Made in memory and put in place whole: a failed run leaves no
  // half-written file behind.
  const std::string target = words[1];
  QString error;
  int pages = 0;
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&pdf);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    writer.setTitle(printableHtml(db, x, settings).isEmpty() ? QString() : QString("Object %1").arg(x));
    writer.setCreator("vantrel-dump");
    pages = printPage(db, x, writer, settings, &error);
  }
  if (pages == 0) throw Failure{"object " + words[0] + ": " + error.toStdString()};
  const QByteArray& bytes = pdf.data();
  std::string why;
  if (!fileops::writeFileAtomic(target, std::string_view(bytes.constData(), size_t(bytes.size())), fileops::Sync::durable,
                                &why))
    throw Failure{"cannot write " + target};
  setOrdered(out, {{"object", x}, {"file", target}, {"pages", pages}});
}

const DumpRegistration kPdf{{"pdf", "pdf I OUT.pdf [--screen WxH] [--dpi D]",
                             "write the page object I shows as a PDF, as printing would", true, pdf}};
#endif

}  // namespace
}  // namespace vantrel::dump
