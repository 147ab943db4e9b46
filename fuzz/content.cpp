// Fuzz target for the content database: the input is split into the three
// content files, which are opened and put through every query.
//
// Input layout: byte 0 flags (bit 0: write the Binary file), bytes 1..4 the
// Data file's length and bytes 5..8 the Strings file's length (little-endian,
// cut to what is there), then the Data bytes, the Strings bytes and, as the
// rest, the Binary bytes.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/content/ContentCursor.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentQueries.h"

using namespace vantrel;

namespace {

std::string gDir;

void removeDir() {
  for (const char* suffix : {kDataFileSuffix, kStringsFileSuffix, kBinaryFileSuffix}) {
    unlink((gDir + "/" + kContentBaseName + suffix).c_str());
  }
  rmdir(gDir.c_str());
}

std::string makeDir() {
  char pattern[] = "/tmp/fuzz-content-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (!dir) abort();
  gDir = dir;
  atexit(removeDir);
  return dir;
}

void writeFile(const std::string& path, const uint8_t* bytes, size_t n) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (n && fwrite(bytes, 1, n, f) != n) abort();
  fclose(f);
}

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

const char16_t* const kTypeNames[] = {u"table", u"table type", u"field", u"footnote", u"footnotes",
                                      u"popup", u"hierarchy item", u"link", u"", u"no such type"};

void moveEverywhere(const ContentDatabase& db, ObjectIndex i) {
  ContentCursor start;
  if (!start.open(db, i)) return;
  const uint16_t type = start.entry().type;
  std::u16string text;
  start.text(text);
  for (const char16_t* name : kTypeNames) {
    ContentCursor c = start;
    c.toAncestorOfType(name);
    c = start;
    c.toChildOfType(name);
    c = start;
    c.toNthChildOfType(1, name);
    c = start;
    while (c.toNextOfType(name)) {}
    c = start;
    while (c.toPreviousOfType(name)) {}
    std::vector<ObjectEntry> out;
    start.collectChildren(out, name, 3);
  }
  ContentCursor c = start;
  for (int steps = 0; steps < 64 && c.toParent(); ++steps) {}
  c = start;
  c.toAncestorOfType(type);
  c = start;
  while (c.toNextOfType(type)) {}
  c = start;
  while (c.toPreviousOfType(type)) {}
  c = start;
  for (int steps = 0; steps < 64 && c.toFirstChild(); ++steps) {}
  c = start;
  c.toNthInGroup(start.run());
  c = start;
  c.toNthInGroup(start.run() + 1);
  c = start;
  c.toNthChildOfType(2, type);
  std::vector<ObjectEntry> out;
  start.collectChildren(out, type, 0);
}

void query(const ContentDatabase& db, ObjectIndex i) {
  std::u16string out;
  for (const char16_t* name : kTypeNames) {
    isOfType(db, i, name);
    hasChildOfType(db, i, name);
  }
  for (const char16_t* text : {u"tight crt", u"Index", u""}) {
    tableNamed(db, i, text);
    tableTypeIs(db, i, text);
    ownTableTypeIs(db, i, text);
  }
  textOf(db, i, out);
  enclosingTableTitle(db, i, out);
  footnotesText(db, i, out);
  footnoteText(db, i, out);
  popupText(db, i, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  static const std::string dir = makeDir();
  static const std::string base = dir + "/" + kContentBaseName;
  if (size < 9) return 0;
  const bool withBinary = input[0] & 1;
  size_t rest = size - 9;
  const size_t dataLength = std::min<size_t>(le32(input + 1), rest);
  rest -= dataLength;
  const size_t stringsLength = std::min<size_t>(le32(input + 5), rest);
  rest -= stringsLength;
  const uint8_t* p = input + 9;
  writeFile(base + "-Data.pdb", p, dataLength);
  writeFile(base + "-Strings.pdb", p + dataLength, stringsLength);
  if (withBinary) {
    writeFile(base + "-Binary-PPC.pdb", p + dataLength + stringsLength, rest);
  } else {
    unlink((base + "-Binary-PPC.pdb").c_str());
  }

  ContentDatabase db;
  db.open(base);
  const ContentLayout& layout = db.layout();
  const uint32_t count = db.objectCount();
  const uint32_t limit = std::min<uint32_t>(count, 200);

  for (const auto& name : db.typeNames()) db.typeNumber(name);
  for (const auto& name : db.kindNames()) db.kindNumber(name);
  for (const auto& [name, object] : db.names()) db.objectByName(name);
  for (uint32_t t = 0; t <= std::min<uint32_t>(layout.typeCount, 64); ++t) db.typeName(static_cast<uint16_t>(t));
  for (uint32_t k = 0; k <= std::min<uint32_t>(layout.kindCount, 64); ++k) db.kindName(static_cast<uint16_t>(k));

  const uint32_t strings = std::min<uint32_t>(db.stringCount(), 200);
  std::vector<char> buffer;
  for (uint32_t s = 0; s <= strings; ++s) {
    db.readString(s);
    const uint32_t length = std::min<uint32_t>(db.stringLength(s), 1 << 16);
    buffer.resize(length + 1);
    db.readStringBytes(s, buffer.data(), length);
  }
  const uint32_t blobs = std::min<uint32_t>(db.blobCount(), 200);
  for (uint32_t b = 0; b <= blobs; ++b) {
    const uint32_t length = std::min<uint32_t>(db.blobLength(b), 1 << 16);
    buffer.resize(length + 1);
    db.readBlob(b, 0, buffer.data(), length);
    if (length > 2) db.readBlob(b, length / 2, buffer.data(), length - length / 2);
    db.readBlob(b, length, buffer.data(), 1);
  }

  for (uint32_t i = 0; i < limit; ++i) {
    ObjectEntry e;
    if (!db.readEntry(i, e)) continue;
    db.readString(e.value);
    // The searches, the cursor and the queries read many entries each: a
    // sample of objects.
    if (i >= 12 && i + 2 < count && i % 32 != 0) continue;
    db.findGroup(i, e.type);
    db.findGroup(e.parent, e.type);
    db.findFirstChild(i);
    db.findById(e.id);
    db.findById(e.id + 1);
    std::vector<ObjectEntry> out;
    for (uint32_t max : {0u, 1u, 3u, 2147483647u}) db.collectGroup(e.parent, e.type, max, out);
    db.collectGroup(i, db.typeName(e.type), 0, out);
    moveEverywhere(db, i);
    query(db, i);
  }
  // Past the table: the page-key objects and beyond.
  for (uint32_t i = count; i < count + 8; ++i) {
    moveEverywhere(db, i);
    query(db, i);
  }
  db.findById(0);
  db.findById(layout.maxId);
  db.findById(0xFFFFFFFFu);
  return 0;
}
