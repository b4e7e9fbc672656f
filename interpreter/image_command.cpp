// IMAGEM: a bitmap or JPEG picture shown over the text of the console window at a pixel
// position, or the picture removed. JPEG pictures go through a temporary bitmap of the
// runtime's own (never a file of the user's).
#include <cstdio>
#include <string>

#include "console/console.h"
#include "interpreter/commands.h"
#include "interpreter/text.h"
#include "interpreter/values.h"
#include "platform/media/jpeg_bitmap.h"
#include "platform/files/paths.h"

namespace Commands {
namespace {

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
  bool loaded = false;
  if (IsJpegName(name) && Paths::Exists(name)) {
    std::string error;
    // A JPEG that cannot be decoded leaves no bitmap behind, and the command fails.
    const std::string temporary = JpegBitmap::ConvertToTemporary(Paths::ToHost(name), error);
    loaded = !temporary.empty() && Console::ConsoleLoadImageFile(temporary);
    if (!temporary.empty()) std::remove(temporary.c_str());
  } else {
    loaded = Console::ConsoleLoadImage(name);
  }
  if (loaded) Console::ConsoleDrawImage(x, y);
  return loaded || optional;
}

}  // namespace Commands
