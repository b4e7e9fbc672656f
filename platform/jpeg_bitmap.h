// JPEG pictures made into Windows bitmap files (for the console's picture, which shows
// bitmaps): grayscale as an 8-bit palette bitmap, colour as a 24-bit one.
#pragma once

#include <string>

namespace JpegBitmap {

// Decodes the JPEG file `jpegPath` and writes the bitmap `bmpPath` (host paths). False with
// a Portuguese message when the file is no JPEG, is cut short, is too large to show, or the
// bitmap cannot be written (no bitmap is left behind then).
bool Convert(const std::string& jpegPath, const std::string& bmpPath, std::string& error);

}  // namespace JpegBitmap
