// The mark with which password managers keep a copy from clipboard watchers: the MIME type (or
// X11 target) x-kde-passwordManagerHint with the value "secret".

#ifndef PAVREL_WINDOW_SECRET_MARK_H_
#define PAVREL_WINDOW_SECRET_MARK_H_

#include <cstddef>
#include <string>

inline constexpr char kSecretMarkType[] = "x-kde-passwordManagerHint";

// As much of the mark as is read: far more than "secret".
inline constexpr std::size_t kSecretMarkBytes = 64;

// Whether the mark's value, read `whole` or as far as kSecretMarkBytes, keeps the copy from being
// read: when it says secret, and when it cannot be told, having stopped short.
bool MarksSecret(std::string value, bool whole);

#endif  // PAVREL_WINDOW_SECRET_MARK_H_
