// The byte-level content builder of the content tests, built into this test
// program too for the damaged-file cases.
#include "../content/RawContent.cpp"
