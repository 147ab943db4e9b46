#pragma once
// What the reader, the writer and every program agree on about a guide's
// content files.

namespace vantrel {

// The base name of a guide's three content files: "<base>-Data.pdb",
// "<base>-Strings.pdb" and "<base>-Binary-PPC.pdb".
inline constexpr char kContentBaseName[] = "Qd07-Qd07";

}  // namespace vantrel
