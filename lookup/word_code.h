// The rule by which Wubi codes a word (词组) of two or more characters, from the full code of each
// of its characters (the longest of its codes):
// - two characters: the first two letters of each (中国: kh + lg = khlg);
// - three: the first letter of the first and of the second, and the first two of the third;
// - four or more: the first letter of the first, second, third and last.
// Dictionaries follow it for almost every phrase; where a table holds a phrase's own record, that
// record wins, and a code made by the rule is always shown marked as such.

#ifndef PAVREL_LOOKUP_WORD_CODE_H_
#define PAVREL_LOOKUP_WORD_CODE_H_

#include <span>
#include <string>
#include <string_view>

namespace pavrel {

// Follows the word whose code the rule made, before the code, so that a learner never takes it
// for the table's own: the result label, too small for most words and their codes, shows it.
constexpr char32_t kComputedMark[] = U"（按规则）";

// A character's full code from its own record: the longest of the fields after the first that
// are made of ASCII letters alone, the first of equally long ones; empty if there is none.
std::u32string FullCode(std::u32string_view record);

// The code of a word whose characters' full codes are `codes`, in the word's order. Requires two
// or more codes, none empty; a code shorter than the rule takes from it gives what it has.
std::u32string WordCode(std::span<const std::u32string> codes);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_WORD_CODE_H_
