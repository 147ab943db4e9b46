#pragma once
// What the user is told when the bookmarks or notes cannot be changed: the
// pair is held by another program, its files cannot be written (with the
// system's reason), it is damaged, or a write failed (with the reason).
#include <string>

#include "core/userdata/IndexedRecordStore.h"

namespace vantrel {

enum class UserDataKind { bookmarks, notes };

// The caption of every message below, bookmarks and notes alike: a refusal
// (shown with a warning icon) and a failed write (an error icon).
inline constexpr char16_t kUserDataProblemCaption[] = u"Error";

// Why no change can be made to the store at all; empty when changes may be tried.
std::u16string changeRefusal(const IndexedRecordStore& store, UserDataKind kind);
// What to say after a change was refused or failed: the refusal above, or
// that the bookmark or note could not be written and why.
std::u16string writeFailure(const IndexedRecordStore& store, UserDataKind kind);

}  // namespace vantrel
