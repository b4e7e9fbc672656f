// Scratch data files for the Sonora tests, removed when the test ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TempFiles {
 public:
  TempFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sonora-test-XXXXXX").string();
    dir_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TempFiles(const TempFiles&) = delete;
  TempFiles& operator=(const TempFiles&) = delete;

  // Writes the bytes as they are (the tests give Windows-1252 text) and returns the path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};
