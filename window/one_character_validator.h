// A validator that keeps a line edit to one character, counted in code points, so that a
// character outside the Basic Multilingual Plane (a surrogate pair) is never split.
//
// The line edit's maxLength must be 2: then one surrogate pair fits, and an edit can add at most
// one unit beside a character already there. Typing beside that character does nothing, as with
// a plain length limit; inserting several characters into an empty box or over a selection (a
// paste, an input method's phrase) keeps the first of them.

#ifndef PAVREL_WINDOW_ONE_CHARACTER_VALIDATOR_H_
#define PAVREL_WINDOW_ONE_CHARACTER_VALIDATOR_H_

#include <QValidator>

class OneCharacterValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override;
};

#endif  // PAVREL_WINDOW_ONE_CHARACTER_VALIDATOR_H_
