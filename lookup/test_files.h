// Helpers for tests that work on real files: a temporary folder that is the current directory
// while it lives, and a count of the process's open file descriptors.

#ifndef PAVREL_LOOKUP_TEST_FILES_H_
#define PAVREL_LOOKUP_TEST_FILES_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace pavrel {

class TempDir {
 public:
  TempDir();   // creates an empty folder and makes it the current directory
  ~TempDir();  // returns to the previous current directory and removes the folder
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder, replacing it.
  void Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The number of file descriptors the process has open.
int CountOpenDescriptors();

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_FILES_H_
