#include "lookup/command_line.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "encoding/utf8.h"

namespace pavrel {

namespace {

constexpr char kUsage[] =
    "Usage: pavrel [--follow-clipboard] [--all-codes]\n"
    "       pavrel --lookup CHARACTER|WORD\n"
    "\n"
    "Opens a small window that stays above the other windows. Type one Chinese\n"
    "character into its box and press Enter: the first entry of the table that\n"
    "begins with it appears, for example \"字 pbf pb\". The table is data.txt in\n"
    "the current folder, text in UTF-8, UTF-16 or code page 936 (GBK, with\n"
    "GB18030's four-byte sequences), read afresh at every lookup.\n"
    "\n"
    "Options:\n"
    "  --follow-clipboard\n"
    "      Look up every character copied in another program: the first character\n"
    "      of the copied text that is not ASCII, blank, punctuation, a symbol, a\n"
    "      combining mark or invisible (a variation selector, a Hangul filler).\n"
    "      A copy that is one word of two to eight Chinese characters shows the\n"
    "      word's entry, or its code by the rule for words; any other, the entry\n"
    "      of the longest phrase of the table that its text begins with there.\n"
    "      The other program keeps the keyboard. The window's menu item 跟随剪贴板\n"
    "      switches this on and off.\n"
    "  --all-codes\n"
    "      Show the whole entry, every code, over as many lines as it needs; the\n"
    "      window grows to hold it. The menu item 显示全部编码 switches this on\n"
    "      and off.\n"
    "  --lookup CHARACTER|WORD\n"
    "      Print what the window would show for the character, from data.txt in\n"
    "      the current folder, without opening the window. For a word of two or\n"
    "      more characters, its own entry; without one, its code by the rule for\n"
    "      words (中国: kh + lg = khlg) from its characters' longest codes, after\n"
    "      the word marked （按规则）. Exit status 0: found; 8: a word's code by the\n"
    "      rule; 1: not in the table (prints 无法查询, and for a word the character\n"
    "      that the table lacks);\n"
    "      3: there is no table; 4: it is not a file; 5: it cannot be read; 6: it\n"
    "      kept changing (the message of 3 to 6 goes to standard error); 7: the\n"
    "      answer could not be written.\n"
    "  --help\n"
    "      Show this help and exit.\n"
    "  --version\n"
    "      Show the version and exit.\n"
    "\n"
    "The window's menu items are remembered for the user as they are chosen; an\n"
    "option applies to its run only.\n";

// The same usage in Simplified Chinese.
constexpr char kChineseUsage[] =
    "用法：pavrel [--follow-clipboard] [--all-codes]\n"
    "      pavrel --lookup 汉字或词组\n"
    "\n"
    "打开一个总在其他窗口之上的小窗口。在框里输入一个汉字，按回车，就会显示\n"
    "码表中以这个字开头的第一条，例如“字 pbf pb”。码表是当前目录下的 data.txt\n"
    "文件，文字编码为 UTF-8、UTF-16 或代码页 936（GBK，含 GB18030 的四字节\n"
    "序列），每次查询都重新读取。\n"
    "\n"
    "选项：\n"
    "  --follow-clipboard\n"
    "      查询在其他程序中复制的每个字：取复制的文字中第一个不是 ASCII 字符、\n"
    "      空白、标点、符号、组合附加符号，也不是不可见字符（异体字选择符、\n"
    "      谚文填充符）的字。复制的是一个由两到八个汉字组成的词时，显示这个词\n"
    "      的编码；复制的文字以码表中的词组开头时，显示其中最长的那个词组。\n"
    "      键盘仍留在复制文字的那个程序里。窗口菜单项“跟随剪贴板”可以随时\n"
    "      打开或关闭此功能。\n"
    "  --all-codes\n"
    "      显示整条记录的全部编码，需要几行就占几行，窗口随之变高。菜单项\n"
    "      “显示全部编码”可以随时打开或关闭此功能。\n"
    "  --lookup 汉字或词组\n"
    "      不打开窗口，从当前目录下的 data.txt 中查这个字或词，输出窗口中会显示\n"
    "      的结果。码表中没有的词，按词组取码规则由各字最长的编码算出（中国：\n"
    "      kh + lg = khlg），词后标明“（按规则）”。退出码：0 找到；8 按规则算出；\n"
    "      1 码表中没有（输出“无法查询”，词中有字不在码表里时指出是哪个字）；\n"
    "      3 缺少码表；4 码表不是文件；5 码表无法读取；6 码表一直在被修改（3 至\n"
    "      6 的提示输出到标准错误）；7 结果无法输出。\n"
    "  --help\n"
    "      显示本帮助并退出。\n"
    "  --version\n"
    "      显示版本并退出。\n"
    "\n"
    "在窗口菜单中所做的选择会立即为当前用户保存下来；命令行选项只对本次运行\n"
    "有效。\n";

// The characters that `text` holds in UTF-8; nothing for none or invalid UTF-8.
std::optional<std::u32string> Characters(std::string_view text) {
  std::optional<std::u32string> characters = DecodeUtf8(text);
  if (characters && characters->empty()) return std::nullopt;
  return characters;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command_line;
  const auto fail = [&command_line](CommandLine::Problem problem, const std::string& argument) {
    command_line.action = CommandLine::Action::kError;
    command_line.problem = problem;
    command_line.argument = argument;
    switch (problem) {
      case CommandLine::Problem::kUnknownOption:
        command_line.error = "unknown option '" + argument + "'";
        break;
      case CommandLine::Problem::kUnexpectedArgument:
        command_line.error = "unexpected argument '" + argument + "'";
        break;
      default:
        command_line.error = "--lookup needs a character or word in UTF-8, not '" + argument + "'";
        break;
    }
  };
  bool options = true;  // "--" ends the options: every argument after it is a plain one
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    const bool option = options && argument->starts_with("-");
    if (option && *argument == "--") {
      options = false;
    } else if (option && *argument == "--help") {
      command_line.action = CommandLine::Action::kHelp;
      break;
    } else if (option && *argument == "--version") {
      command_line.action = CommandLine::Action::kVersion;
      break;
    } else if (option && *argument == "--follow-clipboard") {
      command_line.follow_clipboard = true;
    } else if (option && *argument == "--all-codes") {
      command_line.all_codes = true;
    } else if (option && *argument == "--lookup") {
      // The next argument is the text, whatever it looks like.
      const std::string query = argument + 1 != arguments.end() ? *++argument : "";
      std::optional<std::u32string> characters = Characters(query);
      if (!characters) {
        fail(CommandLine::Problem::kNoCharacter, query);
        break;
      }
      command_line.action = CommandLine::Action::kLookup;
      command_line.query = std::move(*characters);
    } else {
      fail(
          option ? CommandLine::Problem::kUnknownOption : CommandLine::Problem::kUnexpectedArgument,
          *argument);
      break;
    }
  }
  return command_line;
}

std::string_view ChineseUsage() { return kChineseUsage; }

std::string CommandLineReply(const CommandLine& command_line) {
  switch (command_line.action) {
    case CommandLine::Action::kHelp:
      return kUsage;
    case CommandLine::Action::kVersion:
      return "pavrel " PAVREL_VERSION "\n";
    case CommandLine::Action::kError:
      return "pavrel: " + command_line.error + "\nTry 'pavrel --help' for more information.\n";
    case CommandLine::Action::kRun:
    case CommandLine::Action::kLookup:
      break;
  }
  return {};
}

}  // namespace pavrel
