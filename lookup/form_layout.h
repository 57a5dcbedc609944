// The lookup window's face, described once for both front ends: its caption, client size, fonts,
// and its controls in tab order with their names, texts and boxes. Sizes are pixels at 96 dpi
// (15 twips each); a front end scales them to its screen. Texts are UTF-8.

#ifndef PAVREL_LOOKUP_FORM_LAYOUT_H_
#define PAVREL_LOOKUP_FORM_LAYOUT_H_

namespace pavrel {

constexpr char kFormName[] = "Form1";
constexpr char kFormCaption[] = "Quorlan";
constexpr int kClientWidth = 219;
constexpr int kClientHeight = 98;

// The window's own font (the platform's face), and the Song face of the query box and the
// credit line: 9, 12 and 14.25 points at 96 dpi. The result label's codes are in the window's
// size, in a face whose Latin letters keep l, 1 and I apart: 〇 llll is not "IIII".
enum class FontRole { kWindow, kQuery, kCredit, kCodes };
struct FontStyle {
  int pixels;
  bool song;
  bool italic;
  bool codes = false;
};
constexpr FontStyle kFonts[] = {
    {12, false, false}, {16, true, false}, {19, true, true}, {12, false, false, true}};
constexpr const FontStyle& FontOf(FontRole role) { return kFonts[static_cast<int>(role)]; }

enum class ControlKind { kLabel, kQueryBox, kButton };

struct Box {
  int left, top, width, height;
};

struct ControlLayout {
  const char* name;  // the object name that tools and tests see
  ControlKind kind;
  const char* text;  // initial caption or text
  Box box;
  FontRole font;
};

// In tab order. Only the query box and the button take the focus; the button is the default.
constexpr ControlLayout kControls[] = {
    {"Label1", ControlKind::kLabel, "输入你要查询的汉字：", {8, 16, 129, 17}, FontRole::kWindow},
    {"Label2", ControlKind::kLabel, "五笔码查询结果：", {8, 40, 113, 17}, FontRole::kWindow},
    {"Text1", ControlKind::kQueryBox, "", {136, 8, 73, 25}, FontRole::kQuery},
    {"Label3", ControlKind::kLabel, "", {136, 40, 73, 17}, FontRole::kCodes},
    {"Command1", ControlKind::kButton, "查询", {16, 64, 41, 33}, FontRole::kWindow},
    {"Label4", ControlKind::kLabel, "Selvanor", {80, 72, 145, 17}, FontRole::kCredit},
};

// Indexes into kControls of the controls that the front ends work with.
enum ControlIndex { kPromptLabel, kCaptionLabel, kQueryBox, kResultLabel, kQueryButton, kCredit };

// The window's menu items, in menu order (the Qt window's context menu; the Win32 window's
// right-click menu and system menu). Each switches a mode on and off, and the choice made in the
// menu is remembered for the user under the item's name. The letter after & is the access key.
enum MenuItemIndex { kFollowClipboardItem, kAllCodesItem };
struct MenuItemLayout {
  const char* name;  // the object name, and the key of the remembered choice
  const char* text;
};
constexpr MenuItemLayout kMenuItems[] = {
    {"FollowClipboard", "跟随剪贴板(&F)"},
    {"AllCodes", "显示全部编码(&A)"},
};

// With every code shown (显示全部编码), the result label keeps its width and is as tall as the
// whole record needs, never shorter than described; what lies below its described box moves
// down by as much, and the window grows by as much. The credit line reaches the bottom edge.
// `result_height` is in the same pixels as the boxes.
constexpr int ResultGrowth(int result_height) {
  const int described = kControls[kResultLabel].box.height;
  return result_height > described ? result_height - described : 0;
}
constexpr Box GrownBox(int index, int result_height) {
  Box box = kControls[index].box;
  const Box& result = kControls[kResultLabel].box;
  if (index == kResultLabel) box.height += ResultGrowth(result_height);
  if (box.top >= result.top + result.height) box.top += ResultGrowth(result_height);
  // The credit line runs to the window's bottom edge: at its described 17 pixels, its 19 pixel
  // italic Song face would be cut off at the bottom.
  if (index == kCredit) box.height = kClientHeight - kControls[kCredit].box.top;
  return box;
}
constexpr int GrownClientHeight(int result_height) {
  return kClientHeight + ResultGrowth(result_height);
}

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_FORM_LAYOUT_H_
