// pavrel-table: makes Pavrel's lookup table, data.txt, from a Wubi dictionary.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/progress.h"
#include "converter/table_builder.h"
#include "converter/table_writer.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

// The command line.
struct Options {
  bool force = false;                         // replace an existing output
  bool verbose = false;                       // list the first entries left out
  bool phrases = true;                        // keep phrases as well as single characters
  bool help = false;                          // print the help and do nothing else
  bool version = false;                       // print the version and do nothing else
  TableOutput encoding = TableOutput::kUtf8;  // the table's encoding
  std::filesystem::path input;                // the dictionary to convert; "-": standard input
  std::filesystem::path output = "data.txt";  // the table to write; "-": standard output
};

// How many entries left out --verbose lists.
constexpr std::size_t kListedLeftOut = 10;

void Usage(std::ostream& out) {
  out << R"(Usage: pavrel-table [--force] [--verbose] [--no-phrases] [--encoding ENCODING] INPUT
                   [OUTPUT]
       pavrel-table --help | --version

Makes a lookup table for Pavrel from a Wubi dictionary INPUT and writes it to OUTPUT (by default
data.txt in the current directory). An INPUT of - reads standard input, an OUTPUT of - writes
standard output. The kind of INPUT is recognised by its content:

  an ibus-table database  an SQLite 3 file whose table `phrases` has the columns id, tabkeys
                          (the code) and phrase (the text), for example
                          /usr/share/ibus-table/tables/wubi-haifeng86.db (ibus-table-wubi);
                          not from standard input or a pipe
  a Rime dictionary       a YAML header from a line "---" to a line "...", then lines of
                          tab-separated columns as its `columns:` name them (text and code by
                          default), for example /usr/share/rime-data/wubi86.dict.yaml
                          (rime-data-wubi); its `import_tables:` are read from NAME.dict.yaml
                          beside it, and codes that its `encoder: exclude_patterns:` (RE2
                          syntax) match as a whole are left out
  fcitx5's table text     a header up to a line "[Data]", then lines "code text", as
                          libime_tabledict -d writes them (libime-bin); pinyin lines are skipped
  a text list             lines of a text and its code, in either order, separated by spaces
                          (full-width ones too) or tabs; further fields (a weight) are ignored

Text may be UTF-8 (with or without a byte order mark), UTF-16 with a byte order mark, or code
page 936 when it is not valid UTF-8. Lines end in LF, CR LF or CR. Blank lines and lines that
start with # are skipped.

The table is text with CR LF line ends: one line per single character, in the order in which
the characters first appear, holding the character and its distinct codes in lower case,
longest first, each after one space (for example "字 pbf pb"); then one such line per phrase
(a text of two or more characters, "中国 khlg"), in the order in which the phrases first
appear, so that a lookup of one character finds the character's own line first. Its ENCODING
is utf-8 (the default: UTF-8 with a byte order mark, which every character fits), gb18030 (code
page 936, and GB18030's four-byte sequences for the characters it lacks) or cp936 (code page
936 alone, as Pavrel 0.1 wrote it). Left out, and counted by reason, are entries without a
text or a code, phrases with --no-phrases, texts with a character that the ENCODING cannot
hold or that the lookup would read as field syntax (a comma, double quote, space or control
character; in a phrase also the full-width space U+3000), codes the dictionary excludes, codes
that hold such a character or are longer than 32 characters, and phrases whose first
character has no line of its own.

OUTPUT is replaced at once, never half written; an existing OUTPUT is kept unless --force is
given, and a replaced one keeps its permissions (a symbolic link stays and its file is
replaced). A device or pipe, such as /dev/stdout, is written into, never replaced. A summary
(how many characters and phrases were written, and what was left out) goes to standard error,
and on a terminal a progress line while a large INPUT is read.

Options:
  --encoding ENCODING
              write the table in utf-8 (the default), gb18030 or cp936
  --force     replace OUTPUT if it exists
  --no-phrases
              leave phrases out: only single characters get a line
  --verbose   also list the first )"
      << kListedLeftOut << R"( entries left out, with their line numbers
  --help      print this help
  --version   print the version

Exit status:
  0  the table was written
  1  INPUT could not be read or converted, or OUTPUT could not be written; nothing was written
  2  the command line is wrong
)";
}

// Parses the command line; prints what is wrong and returns nothing for a wrong one.
std::optional<Options> ParseOptions(int argc, char* argv[]) {
  Options options;
  int names = 0;
  bool only_names = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!only_names && arg == "--") {
      only_names = true;
    } else if (!only_names && arg == "--encoding") {
      const std::string_view name = i + 1 < argc ? argv[++i] : "";
      if (name == "utf-8" || name == "utf8") {
        options.encoding = TableOutput::kUtf8;
      } else if (name == "gb18030") {
        options.encoding = TableOutput::kGb18030;
      } else if (name == "cp936" || name == "gbk") {
        options.encoding = TableOutput::kCp936;
      } else {
        std::cerr << "pavrel-table: --encoding takes utf-8, gb18030 or cp936\n";
        return std::nullopt;
      }
    } else if (!only_names && arg == "--force") {
      options.force = true;
    } else if (!only_names && arg == "--no-phrases") {
      options.phrases = false;
    } else if (!only_names && (arg == "--verbose" || arg == "-v")) {
      options.verbose = true;
    } else if (!only_names && (arg == "--help" || arg == "-h")) {
      options.help = true;
    } else if (!only_names && arg == "--version") {
      options.version = true;
    } else if (!only_names && arg.size() > 1 && arg.front() == '-') {
      std::cerr << "pavrel-table: unknown option " << arg << "\n";
      return std::nullopt;
    } else if (names < 2) {
      (names++ == 0 ? options.input : options.output) = arg;
    } else {
      std::cerr << "pavrel-table: too many arguments\n";
      return std::nullopt;
    }
  }
  if (names == 0 && !options.help && !options.version) {
    std::cerr << "pavrel-table: no INPUT given\n";
    return std::nullopt;
  }
  return options;
}

// "1 phrase", "2 phrases".
std::string Count(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// An entry left out, kept for --verbose, with its place among the entries.
struct LeftOutEntry {
  std::size_t number;
  std::string where;
  Outcome outcome;
  std::string entry;
  char32_t first;  // the first character of its text
};

// The reasons for leaving an entry out, as nouns for one entry and for several.
std::string_view ReasonName(Outcome outcome, bool many) {
  switch (outcome) {
    case Outcome::kIncomplete:
      return many ? "incomplete entries" : "incomplete entry";
    case Outcome::kPhrase:
      return many ? "phrases" : "phrase";
    case Outcome::kUnencodableCharacter:
      return many ? "unencodable characters" : "unencodable character";
    case Outcome::kExcludedCode:
      return many ? "excluded codes" : "excluded code";
    case Outcome::kUnusableCode:
      return many ? "unusable codes" : "unusable code";
    case Outcome::kPhraseWithoutCharacter:
      return many ? "phrases whose first character has no line"
                  : "phrase whose first character has no line";
    case Outcome::kKept:
      break;
  }
  return "";
}

// What was left out, by reason: "nothing", "1 phrase", "1 phrase and 2 excluded codes".
std::string LeftOut(const TableBuilder& table) {
  std::vector<std::string> reasons;
  const std::array<std::size_t, kOutcomes> counts = table.counts();
  for (std::size_t i = 1; i < kOutcomes; ++i) {
    const std::size_t n = counts[i];
    const auto outcome = static_cast<Outcome>(i);
    if (n > 0) reasons.push_back(Count(n, ReasonName(outcome, false), ReasonName(outcome, true)));
  }
  std::string left_out = reasons.empty() ? "nothing" : reasons.back();
  if (reasons.size() > 1) {
    left_out = reasons[0];
    for (std::size_t i = 1; i + 1 < reasons.size(); ++i) left_out += ", " + reasons[i];
    left_out += " and " + reasons.back();
  }
  return left_out;
}

// `text` for a terminal: control characters, which a hostile dictionary could use to redraw
// the terminal, shown as <U+001B>, and at most 40 characters of it.
std::string Printable(std::u32string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out;
  for (const char32_t c : text.substr(0, kShown)) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "<U+%04X>", static_cast<unsigned>(c));
      out += hex;
    } else {
      out += EncodeUtf8(std::u32string_view(&c, 1));
    }
  }
  return text.size() > kShown ? out + "..." : out;
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Converts the input into the output; throws ConvertError.
void Convert(const Options& options) {
  // A missing input is named before any output is refused. The output is checked before the
  // input is read, so that a refusal costs nothing; the write checks again.
  if (options.input != "-" && access(options.input.c_str(), R_OK) != 0) {
    throw FileError(options.input, std::string("cannot open: ") + std::strerror(errno));
  }
  std::error_code error;
  if (options.output != "-" && std::filesystem::is_directory(options.output, error)) {
    throw FileError(options.output, "is a folder; name the file to write");
  }
  if (!options.force && IsReplaced(options.output)) throw FileError(options.output, kOutputExists);
  if (options.input != "-" && std::filesystem::equivalent(options.input, options.output, error)) {
    throw FileError(options.output, "is INPUT itself; name another file to write");
  }

  TableBuilder table(options.encoding, options.phrases);
  // For --verbose: the first entries left out, and the phrases kept while their first character
  // had no line, which are left out in the end if it never gets one.
  std::vector<LeftOutEntry> listed, waiting;
  std::size_t number = 0;
  Progress progress(std::cerr, isatty(STDERR_FILENO), SteadySeconds);
  ReadDictionary(
      options.input,
      [&](const Entry& entry) {
        Outcome outcome = table.Add(entry);
        ++number;
        if (!options.verbose) return;
        std::vector<LeftOutEntry>& list = outcome != Outcome::kKept ? listed : waiting;
        if (outcome == Outcome::kKept) {
          if (entry.text.size() == 1 || table.HoldsCharacter(entry.text[0])) return;
          outcome = Outcome::kPhraseWithoutCharacter;
        } else if (listed.size() == kListedLeftOut) {
          return;
        }
        const std::string where =
            entry.file->string() + (entry.row ? ": row id " : ":") + std::to_string(entry.line);
        list.push_back({number, where, outcome, Printable(entry.text) + " " + Printable(entry.code),
                        entry.text.empty() ? U'\0' : entry.text[0]});
      },
      &progress);
  progress.Finish();
  for (const LeftOutEntry& e : waiting) {
    if (!table.HoldsCharacter(e.first)) listed.push_back(e);
  }
  std::stable_sort(listed.begin(), listed.end(), [](const LeftOutEntry& a, const LeftOutEntry& b) {
    return a.number < b.number;
  });
  if (listed.size() > kListedLeftOut) listed.resize(kListedLeftOut);
  if (table.characters() > 0) {
    WriteTable(options.output, table.Text(), options.force);
    std::cerr << "pavrel-table: wrote " << Count(table.characters(), "character", "characters")
              << " with " << Count(table.codes(), "code", "codes");
    if (table.phrases() > 0) {
      std::cerr << " and " << Count(table.phrases(), "phrase", "phrases") << " with "
                << Count(table.phrase_codes(), "code", "codes");
    }
    std::cerr << " to " << (options.output == "-" ? "standard output" : options.output.string())
              << "; left out " << LeftOut(table) << "\n";
  }
  for (const LeftOutEntry& e : listed) {
    std::cerr << "  " << e.where << ": " << ReasonName(e.outcome, false) << ": " << e.entry << "\n";
  }
  if (table.characters() == 0) {
    throw FileError(options.input,
                    "holds no character that can go into the table; left out " + LeftOut(table));
  }
}

}  // namespace
}  // namespace pavrel

int main(int argc, char* argv[]) {
  const std::optional<pavrel::Options> options = pavrel::ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "Try 'pavrel-table --help'.\n";
    return 2;
  }
  if (options->help) {
    pavrel::Usage(std::cout);
    return 0;
  }
  if (options->version) {
    std::cout << "pavrel-table " PAVREL_VERSION "\n";
    return 0;
  }
  try {
    pavrel::Convert(*options);
  } catch (const pavrel::ConvertError& e) {
    std::cerr << "pavrel-table: " << e.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "pavrel-table: out of memory\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "pavrel-table: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
