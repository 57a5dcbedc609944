// Keeps the query box to one character by the shared rule (lookup/query_box.h). Qt hands a
// validator only the edited text and the cursor, in UTF-16 units; this one converts them to
// characters and back, and remembers the text it last accepted as the text before the edit.

#ifndef PAVREL_WINDOW_QUERY_BOX_VALIDATOR_H_
#define PAVREL_WINDOW_QUERY_BOX_VALIDATOR_H_

#include <QValidator>
#include <string>

// Set it on an empty line edit, and on no other: every change of the line edit's text, typed or
// set by the program, passes through validate, which is how it knows the text before the edit.
class QueryBoxValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override;

 private:
  mutable std::u32string accepted_;  // the text after the last edit
};

#endif  // PAVREL_WINDOW_QUERY_BOX_VALIDATOR_H_
