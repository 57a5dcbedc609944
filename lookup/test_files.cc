#include "lookup/test_files.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace pavrel {

TempDir::TempDir() : previous_(std::filesystem::current_path()) {
  // A fresh name until one is free; create_directory fails only if the name is taken.
  std::random_device random;
  do {
    path_ = std::filesystem::temp_directory_path() / ("pavrel-test-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(path_));
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("write failed");
}

}  // namespace pavrel
