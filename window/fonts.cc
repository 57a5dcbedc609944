#include "window/fonts.h"

#include <QStringList>

namespace {

// The window's own face is Noto Sans CJK's monospaced cut: its Chinese is that of Noto Sans CJK
// SC, the sans-serif face of Chinese desktops, and its Latin letters keep l, 1 and I apart even
// at 12 pixels, so that a code like 〇 llll cannot be read as "1111". The proportional cut, and
// the faces a desktop picks by locale (DejaVu Sans, AR PL UMing), draw l and I, or all three, as
// the same bar.
const QStringList kWindowFaces = {"Noto Sans Mono CJK SC"};

// The Song face is SimSun, linked to SimSun-ExtB as Windows does, where they are installed;
// elsewhere a serif face for Latin letters and a Song/Ming-style face that Debian ships.
const QStringList kSongFaces = {
    "SimSun", "宋体", "SimSun-ExtB", "DejaVu Serif", "Noto Serif CJK SC", "AR PL UMing CN"};

// The CJK Extensions that the faces above lack: HanaMin A has Extension A, HanaMin B Extensions
// B to F, and BabelStone Han the part of Extension G that any Debian font has.
const QStringList kExtensionFaces = {"HanaMinA", "HanaMinB", "BabelStone Han"};

}  // namespace

// The size is the one the fixed layout was drawn for, whatever the desktop's, so that a larger
// desktop font does not wrap and cut off the prompts.
QFont FontFor(const pavrel::FontStyle& style, QFont font) {
  font.setFamilies((style.song ? kSongFaces : kWindowFaces) + kExtensionFaces);
  font.setPixelSize(style.pixels);
  font.setItalic(style.italic);
  return font;
}
