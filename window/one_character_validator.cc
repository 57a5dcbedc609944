#include "window/one_character_validator.h"

namespace {

QString FirstCharacter(const QString& text) {
  const bool pair = text.size() >= 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate();
  return text.left(pair ? 2 : 1);
}

}  // namespace

QValidator::State OneCharacterValidator::validate(QString& input, int& pos) const {
  if (input.toUcs4().size() <= 1) return Acceptable;
  // Two characters. With the cursor between them, one was typed in front of the character that
  // was there, which stays; otherwise the first one is either that character or the first of an
  // inserted text.
  input = pos == 1 ? input.mid(1) : FirstCharacter(input);
  pos = input.size();
  return Acceptable;
}
