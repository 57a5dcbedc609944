// Makes a control a live region: screen readers (Narrator, NVDA) speak its new text when the
// program says that it changed, while the focus stays where it is.

#ifndef PAVREL_WIN32_LIVE_REGION_H_
#define PAVREL_WIN32_LIVE_REGION_H_

#include <windows.h>

// Marks `control` as a polite live region, whose changes are spoken after what the screen reader
// is saying. Where the system offers no such mark (older oleacc, Wine), the control stays as it
// was and MarkLiveRegionChanged still reaches screen readers, which then read it by its role.
void MakePoliteLiveRegion(HWND control);

// Tells screen readers that the text of `control` changed, also when it is the same as before.
void MarkLiveRegionChanged(HWND control);

#endif  // PAVREL_WIN32_LIVE_REGION_H_
