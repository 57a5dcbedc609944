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
    "      words (中国: kh + lg = khlg) from its characters' longest codes, marked\n"
    "      （按规则）. Exit status 0: found; 8: a word's code by the rule; 1: not\n"
    "      in the table (prints 无法查询, for a word with the character missing);\n"
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
