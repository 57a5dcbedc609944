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

bool TableBuilder::Encode(std::u32string_view text, std::string& out, bool phrase) const {
  for (char32_t c : text) {
    c = Held(c);
    // A blank inside a phrase would end its text where a reader of the record looks for codes.
    if (IsFieldSyntax(c) || (phrase && c == U'\u3000')) return false;
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
  const bool phrase = entry.text.size() > 1;
  std::string text_bytes, code_bytes;
  Outcome outcome = Outcome::kKept;
  if (entry.text.empty() || entry.code.empty()) {
    outcome = Outcome::kIncomplete;
  } else if (phrase && !keep_phrases_) {
    outcome = Outcome::kPhrase;
  } else if (!Encode(entry.text, text_bytes, phrase)) {
    outcome = Outcome::kUnencodableCharacter;
  } else if (entry.excluded) {
    outcome = Outcome::kExcludedCode;
  } else if (code.size() > kLongestCode || !Encode(code, code_bytes)) {
    outcome = Outcome::kUnusableCode;
  } else if (!phrase) {
    const auto [it, is_new] =
        record_of_character_.try_emplace(Held(entry.text[0]), characters_.size());
    if (is_new) characters_.push_back({std::move(text_bytes), {}});
    codes_ += AddCode(characters_[it->second], std::move(code_bytes), code.size());
  } else {
    // Twins of one phrase, as the table writes them, share a record.
    std::u32string held(entry.text);
    for (char32_t& c : held) c = Held(c);
    const auto [it, is_new] = record_of_phrase_.try_emplace(std::move(held), phrases_.size());
    if (is_new) phrases_.push_back({std::move(text_bytes), {}, it->first[0]});
    Record& record = phrases_[it->second];
    ++record.entries;
    AddCode(record, std::move(code_bytes), code.size());
  }
  ++counts_[static_cast<std::size_t>(outcome)];
  return outcome;
}

bool TableBuilder::AddCode(Record& record, std::string code_bytes, std::size_t length) {
  std::vector<Code>& codes = record.codes;
  const auto same = [&code_bytes](const Code& c) { return c.bytes == code_bytes; };
  if (std::any_of(codes.begin(), codes.end(), same)) return false;
  // After every code at least as long, so equal lengths keep the order they came in.
  const auto shorter = std::find_if(codes.begin(), codes.end(),
                                    [length](const Code& c) { return c.length < length; });
  codes.insert(shorter, {std::move(code_bytes), length});
  return true;
}

std::size_t TableBuilder::phrases() const {
  return static_cast<std::size_t>(std::count_if(
      phrases_.begin(), phrases_.end(), [this](const Record& phrase) { return Written(phrase); }));
}

std::size_t TableBuilder::phrase_codes() const {
  std::size_t codes = 0;
  for (const Record& phrase : phrases_) codes += Written(phrase) ? phrase.codes.size() : 0;
  return codes;
}

std::array<std::size_t, kOutcomes> TableBuilder::counts() const {
  std::array<std::size_t, kOutcomes> counts = counts_;
  for (const Record& phrase : phrases_) {
    if (Written(phrase)) continue;
    counts[static_cast<std::size_t>(Outcome::kKept)] -= phrase.entries;
    counts[static_cast<std::size_t>(Outcome::kPhraseWithoutCharacter)] += phrase.entries;
  }
  return counts;
}

std::string TableBuilder::Text() const {
  std::string text = output_ == TableOutput::kUtf8 ? "\xEF\xBB\xBF" : "";
  for (const std::vector<Record>* records : {&characters_, &phrases_}) {
    for (const Record& record : *records) {
      if (records == &phrases_ && !Written(record)) continue;
      text += record.text;
      for (const Code& code : record.codes) text += ' ' + code.bytes;
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace pavrel
