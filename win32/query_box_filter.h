// Holds an edit control to one character by the query box's rule (KeepOneCharacter), decided on
// each insertion before the edit control makes it: a typed character (also one that an input
// method sends), an input method's whole result, a paste. A paste (Ctrl+V, Shift+Insert, the edit
// menu's Paste) comes from a copy, so it brings the character that the copied-text rule picks from
// the pasted text (lookup/copied_text.h), or nothing. What the rule refuses never reaches the
// control, and what it keeps of a longer text goes in as one ordinary replacement, so the
// control's own undo (Ctrl+Z) keeps working.

#ifndef PAVREL_WIN32_QUERY_BOX_FILTER_H_
#define PAVREL_WIN32_QUERY_BOX_FILTER_H_

#include <windows.h>

// Subclasses `edit`, a single-line edit control, for the rest of its life.
void KeepToOneCharacter(HWND edit);

#endif  // PAVREL_WIN32_QUERY_BOX_FILTER_H_
