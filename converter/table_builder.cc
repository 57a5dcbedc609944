#include "converter/table_builder.h"

#include <algorithm>

#include "encoding/cp936_encoder.h"
#include "encoding/gb18030.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

// Characters that the lookup reads as field syntax: record and line delimiters, quotes, the
// spaces it skips, and control characters.
bool IsFieldSyntax(char32_t c) {
  return c == U',' || c == U'"' || c == U' ' || c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

char32_t TableBuilder::Held(char32_t c) const {
  return output_ == TableOutput::kCp936 ? c : FoldPrivateUse(c);
}

// Encodes `text` into `out`; false when a character is field syntax or outside the encoding.
bool TableBuilder::Encode(std::u32string_view text, std::string& out) const {
  for (char32_t c : text) {
    c = Held(c);
    if (IsFieldSyntax(c)) return false;
    switch (output_) {
      case TableOutput::kUtf8:
        EncodeUtf8Char(c, out);
        break;
      case TableOutput::kCp936:
        if (!EncodeCp936(c, out)) return false;
        break;
      case TableOutput::kGb18030:
        if (!EncodeGb18030(c, out)) return false;
        break;
    }
  }
  return true;
}

Outcome TableBuilder::Add(const Entry& entry) {
  // Codes in lower case, as the keys that type them show them.
  std::u32string code(entry.code);
  for (char32_t& c : code) {
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
  }
  std::string character_bytes, code_bytes;
  Outcome outcome;
  if (entry.text.empty() || entry.code.empty()) {
    outcome = Outcome::kIncomplete;
  } else if (entry.text.size() != 1) {
    outcome = Outcome::kPhrase;
  } else if (!Encode(entry.text, character_bytes)) {
    outcome = Outcome::kUnencodableCharacter;
  } else if (entry.excluded) {
    outcome = Outcome::kExcludedCode;
  } else if (code.size() > kLongestCode || !Encode(code, code_bytes)) {
    outcome = Outcome::kUnusableCode;
  } else {
    outcome = Keep(entry, std::move(character_bytes), std::move(code_bytes));
  }
  ++counts_[static_cast<std::size_t>(outcome)];
  return outcome;
}

Outcome TableBuilder::Keep(const Entry& entry, std::string character_bytes,
                           std::string code_bytes) {
  const auto [it, is_new] = record_of_character_.try_emplace(Held(entry.text[0]), records_.size());
  if (is_new) records_.push_back({std::move(character_bytes), {}});
  std::vector<Code>& codes = records_[it->second].codes;
  const auto same = [&code_bytes](const Code& c) { return c.bytes == code_bytes; };
  if (std::none_of(codes.begin(), codes.end(), same)) {
    // After every code at least as long, so equal lengths keep the order they came in.
    const std::size_t length = entry.code.size();
    const auto shorter = std::find_if(codes.begin(), codes.end(),
                                      [length](const Code& c) { return c.length < length; });
    codes.insert(shorter, {std::move(code_bytes), length});
    ++codes_;
  }
  return Outcome::kKept;
}

std::string TableBuilder::Text() const {
  std::string text = output_ == TableOutput::kUtf8 ? "\xEF\xBB\xBF" : "";
  for (const Record& record : records_) {
    text += record.character;
    for (const Code& code : record.codes) text += ' ' + code.bytes;
    text += "\r\n";
  }
  return text;
}

}  // namespace pavrel
