// pavrel-table: makes Pavrel's lookup table, data.txt, from a Wubi dictionary.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/table_builder.h"
#include "converter/table_writer.h"

namespace pavrel {
namespace {

// The command line.
struct Options {
  bool force = false;                         // replace an existing output
  bool help = false;                          // print the help and do nothing else
  std::filesystem::path input;                // the dictionary to convert
  std::filesystem::path output = "data.txt";  // the table to write
};

void Usage(std::ostream& out) {
  out << R"(Usage: pavrel-table [--force] INPUT [OUTPUT]

Makes a lookup table for Pavrel from a Wubi dictionary INPUT and writes it to OUTPUT (by default
data.txt in the current directory). The kind of INPUT is recognised by its content:

  an ibus-table database  an SQLite 3 file whose table `phrases` has the columns id, tabkeys
                          (the code) and phrase (the text), for example
                          /usr/share/ibus-table/tables/wubi-haifeng86.db (ibus-table-wubi)
  a Rime dictionary       a YAML header from a line "---" to a line "...", then lines
                          text<TAB>code[<TAB>weight[<TAB>stem]], for example
                          /usr/share/rime-data/wubi86.dict.yaml (rime-data-wubi)
  a UTF-8 text list       lines text<TAB or spaces>code

In the text kinds, blank lines and lines that start with # are skipped.

The table is code page 936 text with CR LF line ends: one line per single character, in the
order in which the characters first appear, holding the character and its distinct codes,
longest first, each after one space (for example "字 pbf pb"). Left out, and counted, are
phrases (texts that are not one character), characters that code page 936 cannot encode or that
the lookup would read as field syntax (a comma, double quote, space or control character), and
codes that are empty or hold such a character.

OUTPUT is replaced at once, never half written; an existing OUTPUT is kept unless --force is
given. A summary goes to standard error.

Options:
  --force   replace OUTPUT if it exists
  --help    print this help

Exit status: 0 when the table was written, 1 when INPUT could not be converted or OUTPUT could
not be written (nothing is written then), 2 for a wrong command line.
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
    } else if (!only_names && arg == "--force") {
      options.force = true;
    } else if (!only_names && (arg == "--help" || arg == "-h")) {
      options.help = true;
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
  if (names == 0 && !options.help) {
    std::cerr << "pavrel-table: no INPUT given\n";
    return std::nullopt;
  }
  return options;
}

// Converts the input into the output; throws ConvertError.
void Convert(const Options& options) {
  // Checked before the input is read, so that a refusal costs nothing; the write checks again.
  std::error_code error;
  if (std::filesystem::is_directory(options.output, error)) {
    throw FileError(options.output, "is a folder; name the file to write");
  }
  if (!options.force &&
      std::filesystem::exists(std::filesystem::symlink_status(options.output, error))) {
    throw FileError(options.output, kOutputExists);
  }

  TableBuilder table;
  ReadDictionary(options.input, [&table](std::u32string_view text, std::u32string_view code) {
    table.Add(text, code);
  });
  if (table.characters() == 0) {
    throw FileError(options.input, "holds no character that can go into the table");
  }
  WriteFileAtomically(options.output, table.Cp936Text(), options.force);

  const LeftOut& left_out = table.left_out();
  std::cerr << "pavrel-table: wrote " << table.characters() << " characters to "
            << options.output.string() << "; left out " << left_out.phrases << " phrases, "
            << left_out.unencodable_characters << " unencodable characters and "
            << left_out.unusable_codes << " unusable codes\n";
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
  try {
    pavrel::Convert(*options);
  } catch (const pavrel::ConvertError& e) {
    std::cerr << "pavrel-table: " << e.what() << "\n";
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "pavrel-table: out of memory\n";
    return 1;
  }
  return 0;
}
