#pragma once
// Builds the three content files (base + "-Data.pdb", "-Strings.pdb",
// "-Binary-PPC.pdb") from a tree of objects given in memory.
//
// The caller adds objects under their parents in source order and gives each
// at most one value (text, number, link or blob). `write` lays the tree out
// as the reader expects it: a breadth-first object table sorted by parent
// index, then by type number, keeping source order inside each (parent, type)
// group; `run` and the `byIdOrder` column filled in; every table bit-packed
// and split into chunks of 520000 bits; strings stored once each in the
// reader's text encoding over 65000-byte text records; blobs likewise.
//
// Handles are the order of `add` calls (0 is the root); object indexes are
// only known once the layout is fixed, and `indexOf` answers them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

class ContentWriter {
 public:
  using Handle = uint32_t;
  static constexpr Handle kNoHandle = 0xFFFFFFFFu;

  // The root object (handle 0) has type rootType and no value.
  explicit ContentWriter(std::u16string rootType = u"root");
  ~ContentWriter();
  ContentWriter(const ContentWriter&) = delete;
  ContentWriter& operator=(const ContentWriter&) = delete;
  ContentWriter(ContentWriter&&) noexcept;
  ContentWriter& operator=(ContentWriter&&) noexcept;

  // Adds a child of parent, after the children already added. An unknown
  // parent makes `write` fail (the handle is still returned).
  Handle add(Handle parent, std::u16string type);

  // Values. Each replaces the value set before; an unknown handle is ignored
  // (and reported by `write`).
  void setText(Handle, std::u16string text);                                // kind "string"
  void setNumber(Handle, uint32_t value, std::u16string kind = u"number");  // raw 32-bit value
  void setLink(Handle, Handle target);          // kind "object": value = target's object index
  void setBlob(Handle, std::vector<uint8_t> bytes);  // kind "blob": value = blob number
  void setNoValue(Handle);                      // kind "none", value 0 (the default)
  // Overrides the value-kind name, keeping the value (text, link, blob...).
  void setKind(Handle, std::u16string kind);

  // Persistent id: objects without one get ids above the largest given id,
  // in handle order. Duplicate ids make `write` fail.
  void setId(Handle, uint32_t id);
  // An entry of the name table (one per object; a later call replaces it).
  // Names are written in object-table order; the writer does not reject a
  // repeated name (the reader lets the later entry win).
  void setName(Handle, std::u16string name);

  void setEdition(uint16_t a, uint16_t b, uint32_t c);

  // Fixes the start of the type-name (value-kind) table: these names in this
  // order, duplicates kept. Names used but not declared are appended: types
  // in order of first use; kinds "none", "string", "number", "object",
  // "blob" (those used) and then the others in order of first use. An object
  // whose type name occurs twice gets the later number, as the reader's
  // lookup does.
  void declareTypes(std::vector<std::u16string> names);
  void declareKinds(std::vector<std::u16string> names);

  // Progress of `write` for long runs: (stage, done, total).
  using Progress = std::function<void(const char* stage, uint64_t done, uint64_t total)>;
  void setProgress(Progress progress);

  // Writes the three files. They are written to temporary files beside the
  // targets and renamed into place only when all three are complete; on
  // failure nothing is left behind and *error (when given) says why.
  bool write(const std::string& basePath, std::string* error) const;
  // The same, also answering the header fields and widths written.
  bool write(const std::string& basePath, std::string* error, ContentLayout* written) const;

  // The object index the handle gets in the written object table;
  // kNoHandle for an unknown handle. Fixes the layout (cached until the
  // next `add`).
  ObjectIndex indexOf(Handle) const;

  uint32_t objectCount() const;

  // The header fields and widths the files will have (valid once `write`
  // could succeed; all zero when the tree cannot be laid out).
  ContentLayout plannedLayout(std::string* error = nullptr) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The stored text encoding: each UTF-16 code unit as a UTF-8 sequence of one
// to three bytes (a character above U+FFFF becomes two 3-byte sequences, one
// per surrogate), which the reader turns back into the same code units.
std::string encodeContentText(std::u16string_view text);

}  // namespace vantrel
