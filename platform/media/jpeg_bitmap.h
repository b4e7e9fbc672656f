// JPEG pictures made into Windows bitmap files (for the console's picture, which shows
// bitmaps): grayscale as an 8-bit palette bitmap, colour as a 24-bit one.
#pragma once

#include <string>

namespace JpegBitmap {

// Decodes the JPEG file `jpegPath` and writes the bitmap `bmpPath` (host paths). False with
// a Portuguese message when the file is no JPEG, is cut short, is too large to show, or the
// bitmap cannot be written (no bitmap is left behind then).
bool Convert(const std::string& jpegPath, const std::string& bmpPath, std::string& error);

// The same into a new file of the runtime's own in the temporary folder, whose name no
// other file has: its host path (the caller removes it), or empty with a message.
std::string ConvertToTemporary(const std::string& jpegPath, std::string& error);

}  // namespace JpegBitmap
