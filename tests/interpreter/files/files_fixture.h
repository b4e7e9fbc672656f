// Test support for the file commands: a clean interpreter whose current folder is a fresh
// folder inside a throw-away drive C, with helpers to put files there and read them back.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/text.h"
#include "tests/support/interp_fixture.h"

class FilesTest : public InterpTest {
 protected:
  void SetUp() override {
    InterpTest::SetUp();
    saved_ = std::filesystem::current_path();
    const char* driveC = std::getenv("FONIX_DRIVE_C");
    ASSERT_NE(driveC, nullptr);
    here_ = std::filesystem::path(driveC) / "trabalho";
    std::filesystem::remove_all(here_);
    std::filesystem::create_directories(here_);
    std::filesystem::current_path(here_);
    Paths::ResetPaths();
  }
  void TearDown() override {
    std::filesystem::current_path(saved_);
    std::error_code ec;
    std::filesystem::remove_all(here_, ec);
    Paths::ResetPaths();
    InterpTest::TearDown();
  }

  // A variable's text as UTF-8; "$name" in any case, as scripts write it.
  std::string Var(const std::string& name) {
    return InterpTest::Var(name[0] == '$' ? "$" + Text::Fold(name.substr(1)) : name);
  }

  // Runs one line (UTF-8 source) in the running interpreter.
  bool Do(const std::string& line) { return Line(line); }

  std::filesystem::path Here(const std::string& name) const { return here_ / name; }

  void Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(Here(name).parent_path());
    std::ofstream(Here(name), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::string Get(const std::string& name) const {
    std::ifstream in(Here(name), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  bool Has(const std::string& name) const { return std::filesystem::exists(Here(name)); }

  // The lines the console showed ("line: " events), UTF-8.
  std::vector<std::string> Shown() {
    std::vector<std::string> out;
    for (const std::string& e : Events())
      if (e.rfind("line: ", 0) == 0) out.push_back(e.substr(6));
    return out;
  }
  bool Showed(const std::string& line) {
    const auto shown = Shown();
    return std::find(shown.begin(), shown.end(), line) != shown.end();
  }

  std::filesystem::path here_, saved_;
};
