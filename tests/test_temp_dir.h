#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>

namespace vidideza {

// A fresh directory that is the current directory for the test's lifetime.
class CurrentTempDir {
 public:
  CurrentTempDir() : previous_(std::filesystem::current_path()) {
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / ("vidideza-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
    std::filesystem::current_path(path_);
  }
  CurrentTempDir(const CurrentTempDir&) = delete;
  CurrentTempDir& operator=(const CurrentTempDir&) = delete;
  ~CurrentTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// What the stream holds from where it stands, read through its buffer in blocks: a character at
// a time, reading a log of some thousand lines after each line costs seconds under
// ThreadSanitizer. A stream that stood at its end reads on from there next time.
inline std::string RestOf(std::istream& in) {
  in.clear();
  std::ostringstream text;
  if (in.peek() != std::istream::traits_type::eof()) {
    text << in.rdbuf();
  }
  return std::move(text).str();
}

inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return in ? RestOf(in) : std::string();
}

inline void WriteFileText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace vidideza
