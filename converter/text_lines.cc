#include "converter/text_lines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "converter/convert_error.h"
#include "converter/utf8.h"
#include "lookup/cp936.h"

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

TextLines::~TextLines() { std::free(buffer_); }

bool TextLines::NextBytes(std::string_view& line) {
  const ssize_t length = getline(&buffer_, &capacity_, file_);
  if (length < 0) {
    if (std::ferror(file_))
      throw FileError(path_, std::string("cannot read: ") + std::strerror(errno));
    return false;
  }
  if (++number_ % 4096 == 0) ShowProgress();
  line = std::string_view(buffer_, static_cast<std::size_t>(length));
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return true;
}

bool TextLines::NextUtf16(std::u32string& line) {
  line.clear();
  std::optional<char32_t> high;  // a high surrogate waiting for its low one
  for (;;) {
    const int first = std::getc(file_);
    const int second = first == EOF ? EOF : std::getc(file_);
    if (std::ferror(file_))
      throw FileError(path_, std::string("cannot read: ") + std::strerror(errno));
    if (first == EOF && line.empty() && !high) return false;
    if (first == EOF || second == EOF) {
      if (first != EOF || high) throw LineError(path_, number_ + 1, "invalid UTF-16");
      break;
    }
    const char32_t unit =
        encoding_ == Encoding::kUtf16Le ? first | second << 8 : first << 8 | second;
    if (high && !IsLowSurrogate(unit)) throw LineError(path_, number_ + 1, "invalid UTF-16");
    if (high) {
      line.push_back(0x10000 + ((*high - 0xD800) << 10) + (unit - 0xDC00));
      high.reset();
    } else if (IsHighSurrogate(unit)) {
      high = unit;
    } else if (IsLowSurrogate(unit)) {
      throw LineError(path_, number_ + 1, "invalid UTF-16");
    } else if (unit == U'\n') {
      break;
    } else {
      line.push_back(unit);
    }
  }
  if (++number_ % 4096 == 0) ShowProgress();
  if (line.ends_with(U'\r')) line.pop_back();
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
