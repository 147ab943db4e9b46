// vantrel-dump commands on "tight crt" tables: the table model of an item as
// the table viewer builds it (JSON, readable text or CSV) and the text of the
// popup a tap on one of its cells shows.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentQueries.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/tables/CellText.h"
#include "core/tables/TightCrtTable.h"

namespace vantrel::dump {
namespace {

// Why the table viewer does not show object x (empty when it does).
std::string refusal(const ContentDatabase& db, ObjectIndex x) {
  if (TightCrtTable::accepts(db, x)) return {};
  const std::string what = "object " + std::to_string(x);
  if (x >= db.objectCount()) {
    return what + " is past the end of the object table (" + std::to_string(db.objectCount()) + " objects)";
  }
  if (!tableTypeIs(db, x, u"tight crt")) return what + " is not in a \"tight crt\" table";
  if (!isOfType(db, x, u"hierarchy item")) return what + " is not a \"hierarchy item\"";
  return what + " is an item whose first \"hierarchy item\" child has items of its own "
                "(the table viewer shows at most two levels)";
}

// Builds the model of item x as a fresh run of the viewer would.
void buildFresh(const ContentDatabase& db, ObjectIndex x, TightCrtTable& table) {
  const std::string why = refusal(db, x);
  if (!why.empty()) throw Failure{why + "; the table viewer refuses it"};
  table.headingToggles() = HeadingToggles{};
  table.buildTable(x, kHeadingColourA, kHeadingColourB);
}

std::string hexColour(Colour c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%06X", c & 0xFFFFFFu);
  return buffer;
}

void table(DumpContext& ctx, DumpOutput& out) {
  bool csv = false, bom = false;
  std::vector<std::string> words;
  for (const auto& a : ctx.args) {
    if (a == "--csv") {
      csv = true;
    } else if (a == "--bom") {
      bom = true;
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 1 || (bom && !csv)) throw UsageError{"usage: table I [--csv [--bom]]"};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = parseIndex(words[0], "object index");
  TightCrtTable model(db);
  buildFresh(db, x, model);

  const uint32_t rows = model.allRowCount();
  const uint32_t columns = model.allColumnCount();
  if (csv) {
    std::string text = bom ? "\xEF\xBB\xBF" : "";
    for (uint32_t r = 0; r < rows; ++r) {
      for (uint32_t c = 0; c < columns; ++c) {
        TableCell cell;
        model.realCell(r, c, cell);
        if (c > 0) text += ',';
        text += csvField(utf8(MarkupRenderer::stripAllTags(cell.text)));
      }
      text += "\r\n";
    }
    out.result = {{"object", x}, {"csv", text}};
    out.plain = text;
    if (out.plain.empty()) out.plain = "\r\n";
    return;
  }

  nlohmann::json cells = nlohmann::json::array();
  std::ostringstream plain;
  const ObjectIndex key = model.keyObject();
  plain << "object: " << x << "\narrangement: " << model.arrangement() << "\nrows: " << rows
        << " (headings included)\ncolumns: " << columns << " (headings included)\nkey: " << key << "\n";
  for (uint32_t r = 0; r < rows; ++r) {
    nlohmann::json row = nlohmann::json::array();
    plain << "row " << r << ":\n";
    for (uint32_t c = 0; c < columns; ++c) {
      TableCell cell;
      model.realCell(r, c, cell);
      row.push_back({{"object", cell.object}, {"text", jsonText(cell.text)}, {"colour", cell.colour}});
      plain << "  [" << c << "] " << hexColour(cell.colour) << " " << cell.object << " " << utf8(cell.text) << "\n";
    }
    cells.push_back(std::move(row));
  }
  out.result = nlohmann::json::object();
  out.result["object"] = x;
  out.result["arrangement"] = model.arrangement();
  out.result["rowCount"] = rows;
  out.result["columnCount"] = columns;
  out.result["key"] = key;
  out.result["cells"] = std::move(cells);
  out.plain = plain.str();
}

void cellPopup(DumpContext& ctx, DumpOutput& out) {
  if (ctx.args.size() != 3) throw UsageError{"usage: cell-popup I ROW COLUMN"};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = parseIndex(ctx.args[0], "object index");
  const uint32_t row = parseIndex(ctx.args[1], "row");
  const uint32_t column = parseIndex(ctx.args[2], "column");
  TightCrtTable model(db);
  buildFresh(db, x, model);
  if (row >= model.rowCount() || column >= model.columnCount()) {
    throw Failure{"cell (" + ctx.args[1] + ", " + ctx.args[2] + ") is outside the table of object " + ctx.args[0] +
                  " (" + std::to_string(model.rowCount()) + " rows, " + std::to_string(model.columnCount()) +
                  " columns, headings included)"};
  }
  std::u16string text;
  model.cellPopupText(cellKey(row, column), text);
  out.result = nlohmann::json::object();
  out.result["object"] = x;
  out.result["row"] = row;
  out.result["column"] = column;
  out.result["text"] = jsonText(text);
  out.plain = utf8(text);
  if (out.plain.empty()) out.plain = "\n";
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"table", "table I [--csv [--bom]]",
                      "the \"tight crt\" table of item I as the table viewer builds it: arrangement, counts, key "
                      "object and every cell (object, text, colour), headings included; --csv: the cell texts "
                      "without markup as CSV (--bom: with a UTF-8 byte order mark)",
                      true, table}},
    DumpRegistration{{"cell-popup", "cell-popup I ROW COLUMN",
                      "the popup text of a tap on cell (ROW, COLUMN) of the table of item I", true, cellPopup}},
};

}  // namespace
}  // namespace vantrel::dump
