#include "converter/text_lines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "converter/convert_error.h"
#include "encoding/cp936.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

TextLines::TextLines(std::FILE* file, const std::filesystem::path& path, Progress* progress)
    : file_(file), path_(path), progress_(progress) {
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) size_ = info.st_size;
  unsigned char start[3] = {};
  const std::size_t got = std::fread(start, 1, sizeof start, file);
  const std::string_view head(reinterpret_cast<char*>(start), got);
  std::size_t skip = 0;
  if (head.starts_with(kUtf8Bom)) {
    skip = 3;
  } else if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
    encoding_ = start[0] == 0xFF ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    skip = 2;
  } else {
    // Without a byte order mark: UTF-8 only when every line is.
    std::rewind(file);
    checking_ = true;
    std::string_view line;
    while (NextBytes(line)) {
      if (!IsUtf8(line)) {
        encoding_ = Encoding::kCp936;
        not_utf8_ = number_;
        break;
      }
    }
    number_ = 0;
    checking_ = false;
  }
  if (std::fseek(file, static_cast<long>(skip), SEEK_SET) != 0) {
    throw FileError(path_, std::string("cannot read: ") + std::strerror(errno));
  }
}

void TextLines::CheckLength(std::size_t length) const {
  if (length > kLongestLine) {
    throw LineError(path_, number_ + 1,
                    "longer than " + std::to_string(kLongestLine >> 20) +
                        " MiB, which no line of a dictionary is");
  }
}

bool TextLines::NextBytes(std::string_view& line) {
  bytes_.clear();
  int c;
  while ((c = getc_unlocked(file_)) != EOF && c != '\n' && c != '\r') {
    bytes_.push_back(static_cast<char>(c));
    CheckLength(bytes_.size());
  }
  if (std::ferror(file_))
    throw FileError(path_, std::string("cannot read: ") + std::strerror(errno));
  if (c == EOF && bytes_.empty()) return false;
  if (c == '\r') {
    const int next = getc_unlocked(file_);
    if (next != '\n' && next != EOF) std::ungetc(next, file_);
  }
  if (++number_ % 4096 == 0) ShowProgress();
  line = bytes_;
  return true;
}

std::optional<char32_t> TextLines::NextUnit() {
  if (next_unit_) return std::exchange(next_unit_, std::nullopt);
  const int first = getc_unlocked(file_);
  const int second = first == EOF ? EOF : getc_unlocked(file_);
  if (std::ferror(file_))
    throw FileError(path_, std::string("cannot read: ") + std::strerror(errno));
  if (first == EOF) return std::nullopt;
  if (second == EOF) throw LineError(path_, number_ + 1, "invalid UTF-16");  // an odd byte
  return encoding_ == Encoding::kUtf16Le ? first | second << 8 : first << 8 | second;
}

bool TextLines::NextUtf16(std::u32string& line) {
  line.clear();
  char32_t high = 0;  // a high surrogate waiting for its low one, or 0
  std::optional<char32_t> unit;
  for (std::size_t units = 0; (unit = NextUnit()) && *unit != U'\n' && *unit != U'\r';) {
    CheckLength(++units);  // each unit, so that characters of two hold the limit as well
    if (high && !IsLowSurrogate(*unit)) throw LineError(path_, number_ + 1, "invalid UTF-16");
    if (high) {
      line.push_back(0x10000 + ((high - 0xD800) << 10) + (*unit - 0xDC00));
      high = 0;
    } else if (IsHighSurrogate(*unit)) {
      high = *unit;
    } else if (IsLowSurrogate(*unit)) {
      throw LineError(path_, number_ + 1, "invalid UTF-16");
    } else {
      line.push_back(*unit);
    }
  }
  if (high) throw LineError(path_, number_ + 1, "invalid UTF-16");
  if (!unit && line.empty()) return false;
  if (unit == U'\r' && (next_unit_ = NextUnit()) == U'\n') next_unit_.reset();
  if (++number_ % 4096 == 0) ShowProgress();
  return true;
}

bool TextLines::Next(std::u32string& line) {
  if (encoding_ == Encoding::kUtf16Le || encoding_ == Encoding::kUtf16Be) return NextUtf16(line);
  std::string_view bytes;
  if (!NextBytes(bytes)) return false;
  if (encoding_ == Encoding::kCp936) {
    line = DecodeCp936(bytes);
    if (line.find(U'\uFFFD') != std::u32string::npos) {
      throw LineError(
          path_, number_,
          "not code page 936, and line " + std::to_string(not_utf8_) + " is not valid UTF-8");
    }
    return true;
  }
  if (!DecodeUtf8(bytes, line)) throw LineError(path_, number_, "invalid UTF-8");
  return true;
}

void TextLines::ShowProgress() {
  if (!progress_) return;
  const long at = std::ftell(file_);
  progress_->Update((checking_ ? "checking the encoding of " : "reading ") + path_.string(),
                    at < 0 ? 0 : static_cast<std::uint64_t>(at), size_);
}

}  // namespace pavrel
