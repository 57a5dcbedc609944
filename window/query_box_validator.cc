#include "window/query_box_validator.h"

#include "lookup/query_box.h"

QValidator::State QueryBoxValidator::validate(QString& input, int& pos) const {
  const std::u32string after = input.toStdU32String();
  const std::size_t caret = QStringView(input).left(pos).toUcs4().size();
  pavrel::QueryBoxText kept = pavrel::KeepOneCharacter(accepted_, after, caret);
  input = QString::fromStdU32String(kept.text);
  pos = static_cast<int>(QString::fromUcs4(kept.text.data(), kept.caret).size());
  accepted_ = std::move(kept.text);
  return Acceptable;
}
