// The screen review's position and its reading operations, shared by its files.
#pragma once

#include <string>

namespace ScreenReview {

struct Review {
  int row = 1;
  int column = 1;  // 1..80, and 81 for a moment
  bool done = false;
};

// The screen's cells; outside the screen a space with attribute 0.
char Cell(int row, int column);
uint8_t Attribute(int row, int column);
// Column just after the row's last non-space character (1 on a blank row).
int AfterLastNonSpace(int row);
bool IsWordChar(char c);
bool IsConsonant(char c);
bool IsFieldBoundary(char c);

struct Field {
  int start = 1;
  int end = 1;
};
// The run of cells around (row, column) with the attribute of that cell and no boundary.
Field FieldAt(int row, int column);

// Reads the word at the position (up to `lastColumn`) and leaves the column after it;
// false when only spaces were left.
bool ReadWord(Review& r, int lastColumn);
// Reads the range of cells, row by row; see the review's read commands.
void ReadRange(Review& r, int firstRow, int firstColumn, int lastRow, int lastColumn, bool restore);
// The first occurrence of `text` after the position; a tick, or two error tones.
void Search(Review& r, const std::string& text);

}  // namespace ScreenReview
