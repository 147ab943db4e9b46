#include "core/content/ContentQueries.h"

#include "core/content/ContentCursor.h"

namespace vantrel {

namespace {

// Opens cursor on the object's table: the object itself when it is a
// "table", else its nearest "table" ancestor.
bool openTable(const ContentDatabase& db, ObjectIndex object, ContentCursor& cursor) {
  const uint16_t table = db.typeNumber(u"table");
  if (table == kNoType || !cursor.open(db, object)) return false;
  return cursor.entry().type == table || cursor.toAncestorOfType(table);
}

bool tableTypeOf(ContentCursor cursor, std::u16string_view text) {
  std::u16string own;
  return cursor.toChildOfType(u"table type") && cursor.text(own) && own == text;
}

bool textIfOfType(const ContentDatabase& db, ObjectIndex object, std::u16string_view typeName,
                  std::u16string& out) {
  if (!isOfType(db, object, typeName)) return false;
  textOf(db, object, out);
  return true;
}

}  // namespace

bool isOfType(const ContentDatabase& db, ObjectIndex object, std::u16string_view typeName) {
  const uint16_t type = db.typeNumber(typeName);
  ObjectEntry e;
  return type != kNoType && db.readEntry(object, e) && e.type == type;
}

bool hasChildOfType(const ContentDatabase& db, ObjectIndex object, std::u16string_view typeName) {
  const uint16_t type = db.typeNumber(typeName);
  return type != kNoType && object < db.objectCount() && db.findGroup(object, type) != 0;
}

bool textOf(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  ContentCursor cursor;
  return cursor.open(db, object) && cursor.text(out);
}

bool enclosingTableTitle(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  ContentCursor cursor;
  return openTable(db, object, cursor) && cursor.text(out);
}

bool tableNamed(const ContentDatabase& db, ObjectIndex object, std::u16string_view name) {
  ContentCursor cursor;
  std::u16string title;
  return openTable(db, object, cursor) && cursor.text(title) && title == name;
}

bool tableTypeIs(const ContentDatabase& db, ObjectIndex object, std::u16string_view text) {
  ContentCursor cursor;
  return openTable(db, object, cursor) && tableTypeOf(cursor, text);
}

bool ownTableTypeIs(const ContentDatabase& db, ObjectIndex object, std::u16string_view text) {
  ContentCursor cursor;
  return cursor.open(db, object) && tableTypeOf(cursor, text);
}

bool footnotesText(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  if (!isOfType(db, object, u"footnotes")) return false;
  ContentCursor cursor(db, object);
  if (cursor.toChildOfType(u"footnote")) {
    do {
      std::u16string text;
      cursor.text(text);
      out += text;
      out += u"<BR><BR>";
    } while (cursor.toNextOfType(u"footnote"));
  }
  return true;
}

bool footnoteText(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  return textIfOfType(db, object, u"footnote", out);
}

bool popupText(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  return textIfOfType(db, object, u"popup", out);
}

}  // namespace vantrel
