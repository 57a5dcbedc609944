#include "window/secret_mark.h"

#include <cctype>

bool MarksSecret(std::string value, bool whole) {
  if (!whole && value.size() < kSecretMarkBytes) return true;
  // Owners end the value in many ways (closing NULs, a newline), none of which makes the copy
  // less secret.
  while (!value.empty() &&
         (value.back() == '\0' || std::isspace(static_cast<unsigned char>(value.back())))) {
    value.pop_back();
  }
  return value == "secret";
}
