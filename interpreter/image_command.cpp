// IMAGEM: a bitmap or JPEG picture shown over the text of the console window at a pixel
// position, or the picture removed. JPEG pictures go through a temporary bitmap.
#include <cstdio>
#include <string>

#include "console/console.h"
#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "platform/jpeg_bitmap.h"
#include "platform/paths.h"

namespace Commands {
namespace {

constexpr std::string_view kTemporaryBitmap = "c:\\$$$.bmp";

bool IsJpegName(std::string_view name) {
  const std::string folded = Text::Fold(name);
  auto endsWith = [&](std::string_view end) {
    return folded.size() >= end.size() && folded.compare(folded.size() - end.size(), end.size(), end) == 0;
  };
  return endsWith(".JPG") || endsWith(".JPEG");
}

bool ReadCoordinate(std::string_view& args, int& out) {
  std::string value;
  if (!Values::ReadValue(args, value)) return false;
  const auto number = Values::NumericValue(Text::Trim(value));
  if (!number) return false;
  out = *number;
  return true;
}

}  // namespace

bool Imagem(std::string_view args) {
  args = Text::Trim(args);
  if (args.empty()) {
    Console::ConsoleRemoveImage();
    return true;
  }
  const bool optional = Values::TakeTrailingAmpersand(args);
  std::string file;
  if (!Values::ReadValue(args, file)) return false;
  int x = 0, y = 0;
  args = Text::Trim(args);
  if (!args.empty()) {
    if (!ReadCoordinate(args, x) || !ReadCoordinate(args, y) || !Text::Trim(args).empty()) return false;
  }
  Console::ConsoleRemoveImage();
  const std::string name(Text::Trim(file));
  if (name.empty()) return true;
  std::string shown = name;
  bool temporary = false;
  if (IsJpegName(name) && Paths::Exists(name)) {
    std::string error;
    // A JPEG that cannot be decoded leaves no bitmap behind, so the load below fails.
    JpegBitmap::Convert(Paths::ToHost(name), Paths::ToHost(kTemporaryBitmap), error);
    shown = std::string(kTemporaryBitmap);
    temporary = true;
  }
  const bool loaded = Console::ConsoleLoadImage(shown);
  if (loaded) Console::ConsoleDrawImage(x, y);
  if (temporary) std::remove(Paths::ToHost(kTemporaryBitmap).c_str());
  return loaded || optional;
}

}  // namespace Commands
