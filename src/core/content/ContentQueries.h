#pragma once
// Content queries shared by the viewers. Each takes an object index and
// answers false or empty for an index without an entry (past the object
// table, such as the page-key objects). Types and texts are compared exactly:
// same UTF-16 code units, case-sensitive.
#include <string>
#include <string_view>

#include "core/content/ContentDatabase.h"

namespace vantrel {

// The object's type is the type named typeName (false for an unknown name).
bool isOfType(const ContentDatabase& db, ObjectIndex object, std::u16string_view typeName);
// The object has a child of that type.
bool hasChildOfType(const ContentDatabase& db, ObjectIndex object, std::u16string_view typeName);
// The object's text into out when its value kind is "string"; false (out unchanged) otherwise.
bool textOf(const ContentDatabase& db, ObjectIndex object, std::u16string& out);
// The title of the object's table: the object itself when it is a "table",
// else its nearest "table" ancestor. False (out unchanged) when there is none.
bool enclosingTableTitle(const ContentDatabase& db, ObjectIndex object, std::u16string& out);
// That table exists and its title equals name.
bool tableNamed(const ContentDatabase& db, ObjectIndex object, std::u16string_view name);
// That table exists and has a "table type" child whose text equals text.
bool tableTypeIs(const ContentDatabase& db, ObjectIndex object, std::u16string_view text);
// The object itself has a "table type" child whose text equals text.
bool ownTableTypeIs(const ContentDatabase& db, ObjectIndex object, std::u16string_view text);
// For a "footnotes" object: appends each "footnote" child's text followed by
// "<BR><BR>", in order. Answers whether the object is of type "footnotes".
bool footnotesText(const ContentDatabase& db, ObjectIndex object, std::u16string& out);
// For a "footnote" (or "popup") object: its text into out. Answers whether
// the object is of that type.
bool footnoteText(const ContentDatabase& db, ObjectIndex object, std::u16string& out);
bool popupText(const ContentDatabase& db, ObjectIndex object, std::u16string& out);

}  // namespace vantrel
