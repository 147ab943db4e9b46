#pragma once
// Names of the user-data files in the program directory.
namespace vantrel::userfiles {

inline constexpr const char* kBookmarkIndex = "bookmarks.vsi";
inline constexpr const char* kBookmarkData = "bookmarks.vsd";
inline constexpr const char* kNoteIndex = "notes.vsi";
inline constexpr const char* kNoteData = "notes.vsd";
// The previous edition's bookmark pair, copied here during the migration.
inline constexpr const char* kTransferIndex = "bookmarks_TMP.vsi";
inline constexpr const char* kTransferData = "bookmarks_TMP.vsd";

inline constexpr unsigned short kBookmarkVersion = 1;
// Titles are kept to this many bytes of the 8-bit code page.
inline constexpr unsigned kMaxTitleBytes = 255;

}  // namespace vantrel::userfiles
