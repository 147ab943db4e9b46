#pragma once
// What a scroll bar asks of the window it scrolls, one set of requests for
// every self-drawn window (lists, the table grid, pictures).

namespace vantrel {

// A line or a page either way, the thumb dropped (ThumbPosition) or being
// dragged (ThumbTrack) at a position, or anything else (nothing to do).
// Thumb is the thumb at a position, dropped or dragged alike.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Other, Thumb = ThumbPosition };

}  // namespace vantrel
