// A throw-away drive C and settings place for one test: FONIX_DRIVE_C and XDG_CONFIG_HOME
// point into a fresh temporary folder, and the working folder comes back afterwards.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/files/paths.h"

struct TempDrive {
  std::filesystem::path base, c, config;
  std::filesystem::path savedCwd;

  TempDrive() {
    char name[] = "/tmp/fonix-test-XXXXXX";
    base = mkdtemp(name);
    c = base / "c";
    config = base / "config";
    std::filesystem::create_directories(c);
    setenv("FONIX_DRIVE_C", c.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (char d = 'A'; d <= 'Z'; ++d)
      if (d != 'C') unsetenv((std::string("FONIX_DRIVE_") + d).c_str());
    savedCwd = std::filesystem::current_path();
    Paths::ResetPaths();
  }
  ~TempDrive() {
    std::filesystem::current_path(savedCwd);
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    Paths::ResetPaths();
  }
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  // Writes bytes to a file below the temporary folder, making its folders.
  std::filesystem::path Write(const std::filesystem::path& path, std::string_view bytes) const {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::filesystem::path Folder(const std::filesystem::path& path) const {
    std::filesystem::create_directories(path);
    return path;
  }
};
