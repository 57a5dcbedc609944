#include "bench/tables.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "encoding/cp936.h"
#include "encoding/gb18030.h"
#include "encoding/utf8.h"

namespace pavrel {

BenchTable WriteWubiLikeTable(const std::filesystem::path& folder, std::int64_t records,
                              bool quoted, BenchEncoding encoding) {
  std::filesystem::create_directories(folder);
  BenchTable table{folder / "data.txt", {}, {}, {}};
  std::ofstream out(table.path, std::ios::binary);
  std::mt19937 random(936);
  // Keys come from the rows B0-D7 without their last column; the last record's key from row D8,
  // so that it is found there only. The missing key shares its first byte with many records:
  // in GB18030 tables, the last character of Extension A, which no record begins with.
  std::uniform_int_distribution<int> row(0xB0, 0xD7), column(0xA1, 0xFD), letter('a', 'y'),
      codes(1, 4), extension_a(0x3400, 0x4DB4);
  bool four_bytes = false;
  const auto write_record = [&](char lead, char trail) {
    char code[4];
    for (char& c : code) c = static_cast<char>(letter(random));
    const char32_t key =
        four_bytes ? extension_a(random) : DecodeCp936(std::string{lead, trail})[0];
    four_bytes = encoding == BenchEncoding::kGb18030 && !four_bytes;
    std::string record;
    if (encoding == BenchEncoding::kUtf8 || encoding == BenchEncoding::kUtf16) {
      EncodeUtf8Char(key, record);
    } else {
      EncodeGb18030(key, record);
    }
    for (int length = 1, count = codes(random); length <= count; ++length) {
      record += ' ';
      record.append(code, length);
    }
    record = quoted ? "\"" + record + "\"\r\n" : record + "\r\n";
    if (encoding == BenchEncoding::kUtf16) {
      std::string utf16;  // every character of these tables lies in the Basic Multilingual Plane
      const std::u32string text = *DecodeUtf8(record);
      for (const char32_t c : text) utf16 += {char(c & 0xFF), char(c >> 8)};
      record = utf16;
    }
    out << record;
    return std::u32string(1, key);
  };
  if (encoding == BenchEncoding::kUtf8) out << "\xEF\xBB\xBF";
  if (encoding == BenchEncoding::kUtf16) out << "\xFF\xFE";
  table.first_key = write_record(static_cast<char>(0xB0), static_cast<char>(0xA1));
  for (std::int64_t i = 2; i < records; ++i) {
    write_record(static_cast<char>(row(random)), static_cast<char>(column(random)));
  }
  four_bytes = false;
  table.last_key = write_record(static_cast<char>(0xD8), static_cast<char>(0xA1));
  table.missing_key = encoding == BenchEncoding::kGb18030 ? U"\u4DB5" : DecodeCp936("\xB0\xFE");
  if (!out.flush()) throw std::runtime_error("could not write " + table.path.string());
  return table;
}

BenchTable WriteSingleFieldTable(const std::filesystem::path& folder, std::int64_t bytes) {
  std::filesystem::create_directories(folder);
  BenchTable table{folder / "data.txt", {}, {}, U"y"};
  const int fd = open(table.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ftruncate(fd, bytes) != 0) throw std::runtime_error("could not write table");
  close(fd);
  return table;
}

std::int64_t CountLineEnds(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) throw std::runtime_error("could not open " + path.string());
  std::vector<char> buffer(64 * 1024);
  std::int64_t count = 0;
  for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) > 0;) {
    const char* end = buffer.data() + got;
    for (const char* p = buffer.data();
         (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p) {
      ++count;
    }
  }
  close(fd);
  return count;
}

}  // namespace pavrel
