#include "win32/box_reply.h"

#include <windows.h>

#include "lookup/console_lookup.h"
#include "lookup/window_operations.h"
#include "win32/text_conversion.h"
#include "win32/text_dialog.h"

namespace {

// Before the shared English usage, in lines short enough for the box on a small screen.
constexpr char kChineseUsage[] =
    "用法：pavrel.exe [--follow-clipboard] [--all-codes]\n"
    "      pavrel.exe --lookup 汉字或词组\n"
    "\n"
    "打开一个总在其他窗口之上的小窗口。在右上角的框里输入一个汉字，按回车，\n"
    "就会显示当前文件夹中 data.txt 里以这个字开头的第一条，例如“字 pbf pb”。\n"
    "\n"
    "选项：\n"
    "  --follow-clipboard  查询在其他程序中复制的每个汉字；复制的是一个词时显示这个词\n"
    "                      的编码，以表中词组开头的文字显示该词组（菜单项“跟随剪贴板”）。\n"
    "  --all-codes         显示整条记录的全部编码，窗口随之变高（菜单项“显示全部编码”）。\n"
    "  --lookup 汉字或词组 不打开窗口，在框中显示查询结果。表中没有的词组按词组取码\n"
    "                      规则算出编码，词后标明“（按规则）”。退出码：0 找到，\n"
    "                      8 按规则算出，1 无法查询，3 缺少 data.txt 文件，\n"
    "                      4 data.txt 不是文件，5 data.txt 无法读取，\n"
    "                      6 data.txt 正在被修改。\n"
    "  --help 或 /?        显示本说明。\n"
    "  --version           显示版本。\n"
    "\n"
    "在窗口中单击右键（或在窗口左上角图标的菜单中）选择的设置会立即保存在注册表\n"
    "HKEY_CURRENT_USER\\Software\\Pavrel 中；命令行选项只对本次运行有效。\n"
    "\n";

constexpr char kWindowsNotes[] =
    "\n"
    "On Windows, /? shows this help too, --lookup answers in a box rather than\n"
    "printing, and the choices made in the window's menus are kept in the registry\n"
    "under HKEY_CURRENT_USER\\Software\\Pavrel.\n";

// The error in Chinese, before the shared English one.
std::string ChineseError(const pavrel::CommandLine& command_line) {
  const std::string& argument = command_line.argument;
  switch (command_line.problem) {
    case pavrel::CommandLine::Problem::kUnknownOption:
      return "未知选项“" + argument + "”。";
    case pavrel::CommandLine::Problem::kUnexpectedArgument:
      return "多余的参数“" + argument + "”。";
    default:
      return "--lookup 后面要跟一个汉字或词组，而不是“" + argument + "”。";
  }
}

int Box(const std::string& text, UINT icon, int status) {
  MessageBoxW(nullptr, FromUtf8(text).c_str(), FromUtf8(pavrel::kApplicationTitle).c_str(),
              MB_OK | icon);
  return status;
}

// The record or 无法查询 in a box as the window's result label shows it, or the window's message
// box; nothing for a lookup that left the label as it was.
int ReplyToLookup(const std::u32string& query) {
  const pavrel::ConsoleAnswer answer = pavrel::LookUpInConsole(query);
  if (answer.text.empty()) return answer.status;
  MessageBoxW(nullptr, ToUtf16(answer.text).c_str(), FromUtf8(pavrel::kApplicationTitle).c_str(),
              MB_OK);
  return answer.status;
}

}  // namespace

std::vector<std::string> WithWindowsSwitches(std::vector<std::string> arguments) {
  for (std::string& argument : arguments) {
    if (argument == "/?") argument = "--help";
  }
  return arguments;
}

std::optional<int> ReplyInBox(const pavrel::CommandLine& command_line) {
  switch (command_line.action) {
    case pavrel::CommandLine::Action::kRun:
      return std::nullopt;
    case pavrel::CommandLine::Action::kLookup:
      return ReplyToLookup(command_line.query);
    case pavrel::CommandLine::Action::kHelp:
      ShowTextDialog(
          FromUtf8(pavrel::kApplicationTitle),
          FromUtf8(kChineseUsage + pavrel::CommandLineReply(command_line) + kWindowsNotes));
      return 0;
    case pavrel::CommandLine::Action::kError:
      return Box(ChineseError(command_line) + "用 pavrel.exe /? 查看用法。\n\n" +
                     pavrel::CommandLineReply(command_line),
                 MB_ICONERROR, pavrel::kUsageErrorStatus);
    case pavrel::CommandLine::Action::kVersion:
      break;
  }
  return Box(pavrel::CommandLineReply(command_line), MB_ICONINFORMATION, 0);
}
