#include "converter/usage.h"

#include <string_view>

#include "encoding/console_language.h"

namespace pavrel {

namespace {

// The help; {listed} stands for kListedLeftOut.
constexpr char kEnglishUsage[] =
    R"(Usage: pavrel-table [--force] [--verbose] [--no-phrases] [--encoding ENCODING] INPUT
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
  --verbose   also list the first {listed} entries left out, with their line numbers
  --help      print this help
  --version   print the version

Exit status:
  0  the table was written
  1  INPUT could not be read or converted, or OUTPUT could not be written; nothing was written
  2  the command line is wrong
)";

// The same help in Simplified Chinese.
constexpr char kChineseUsage[] =
    R"(用法：pavrel-table [--force] [--verbose] [--no-phrases] [--encoding 字符集] 输入 [输出]
      pavrel-table --help | --version

把五笔词典“输入”转换成 Pavrel 的码表，写到“输出”（默认为当前目录下的 data.txt）。
输入为 - 时读标准输入，输出为 - 时写到标准输出。输入的种类按内容识别：

  ibus-table 数据库  SQLite 3 文件，其中的 phrases 表有 id、tabkeys（编码）和 phrase
                     （文字）三列，例如 /usr/share/ibus-table/tables/wubi-haifeng86.db
                     （软件包 ibus-table-wubi）；不能从标准输入或管道读取
  Rime 词典          从“---”一行到“...”一行是 YAML 文件头，其后每行是用制表符分隔的
                     几列，各列的意义由文件头的 columns: 给出（默认为文字和编码），例如
                     /usr/share/rime-data/wubi86.dict.yaml（软件包 rime-data-wubi）；
                     import_tables: 中列出的词典从同一目录下的“名称.dict.yaml”读取，
                     整个编码与 encoder: exclude_patterns: 中的某个式样（RE2 语法）
                     相匹配的，不收
  fcitx5 码表文本    文件头直到“[Data]”一行，其后每行是“编码 文字”，即
                     libime_tabledict -d（软件包 libime-bin）写出的格式；拼音行跳过
  文本列表           每行一个文字和它的编码，先后不限，用空格（全角空格也可以）或
                     制表符隔开；其余的字段（如词频）忽略

文字可以是 UTF-8（有无字节顺序标记均可）、带字节顺序标记的 UTF-16，不是有效的
UTF-8 时按代码页 936 读取。行尾可以是 LF、CR LF 或 CR。空行和以 # 开头的行跳过。

码表是行尾为 CR LF 的文本：每个单字一行，按各字在词典中首次出现的顺序排列，行中是
这个字和它互不相同的各个编码，一律小写，长的在前，每个编码前有一个空格（例如
“字 pbf pb”）；单字之后是词组（两个字以上的文字），每个词组一行，格式相同（例如
“中国 khlg”），按首次出现的顺序排列，所以查一个字时总是先找到这个字自己的那一行。
码表的字符集可以是 utf-8（默认：带字节顺序标记的 UTF-8，什么字都能写）、gb18030
（代码页 936，它没有的字用 GB18030 的四字节序列）或 cp936（只用代码页 936，与
Pavrel 0.1 写的相同）。以下条目不收，并按原因分别计数：缺文字或缺编码的条目，给出
--no-phrases 时的词组，含有所选字符集写不了的字或查询时会被当作字段分隔的字（逗号、
双引号、空格或控制字符；词组中还有全角空格）的文字，词典排除的编码，含有这类字符或
长于 32 个字符的编码，以及首字在码表中没有自己那一行的词组。

输出一次写成，绝不会只写一半；已有的输出文件，除非给出 --force，否则保留不动；
被替换的文件保留原来的权限（符号链接本身保留，替换的是它指向的文件）。设备或管道
（如 /dev/stdout）直接写入，不替换。统计结果（写了多少单字和词组，哪些条目没有收）
输出到标准错误；输入较大时，终端上还会显示进度。

选项：
  --encoding 字符集
              用 utf-8（默认）、gb18030 或 cp936 写码表
  --force     输出文件已存在时替换它
  --no-phrases
              不收词组，只给单字各写一行
  --verbose   另外列出前 {listed} 个不收的条目及其行号
  --help      显示本帮助
  --version   显示版本

退出码：
  0  码表已写好
  1  输入无法读取或转换，或输出无法写入；什么也没有写
  2  命令行有误
)";

}  // namespace

std::string Usage() {
  std::string usage = InConsoleLanguage(kEnglishUsage, kChineseUsage);
  const std::string_view listed = "{listed}";
  usage.replace(usage.find(listed), listed.size(), std::to_string(kListedLeftOut));
  return usage;
}

}  // namespace pavrel
