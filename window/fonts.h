// The Qt window's faces. lookup/form_layout.h gives each control a font style (its size, and
// whether it takes the window's own face or the Song face); this turns a style into a font whose
// family list names the faces Debian ships, so that each character of a record is drawn by a face
// that has it, CJK Extensions A to G included.

#ifndef PAVREL_WINDOW_FONTS_H_
#define PAVREL_WINDOW_FONTS_H_

#include <QFont>

#include "lookup/form_layout.h"

// `font` with the families, size and slant of `style`.
QFont FontFor(const pavrel::FontStyle& style, QFont font);

#endif  // PAVREL_WINDOW_FONTS_H_
