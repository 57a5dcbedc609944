// The one kind of failure of pavrel-table: an input that cannot be read or converted, or an
// output that cannot be written. The message names the file, and the line where there is one;
// main prints it on one line and exits with status 1.

#ifndef PAVREL_CONVERTER_CONVERT_ERROR_H_
#define PAVREL_CONVERTER_CONVERT_ERROR_H_

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace pavrel {

class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "FILE: what" and "FILE:LINE: what".
inline ConvertError FileError(const std::filesystem::path& file, const std::string& what) {
  return ConvertError(file.string() + ": " + what);
}
inline ConvertError LineError(const std::filesystem::path& file, std::size_t line,
                              const std::string& what) {
  return ConvertError(file.string() + ":" + std::to_string(line) + ": " + what);
}

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_CONVERT_ERROR_H_
