// Screen review: exploring by voice everything on the 80x25 screen without changing it,
// by character, word, field, row and page, with two-letter read commands, search, a jump
// to a row and column, and a copy of the screen.
#pragma once

#include <string>

namespace ScreenReview {

struct State {
  std::string searchText;  // the last text searched for, kept for Ctrl+F5
};

State& St();

// Runs until Esc; the console cursor follows the review position and is put back after.
void ScreenReview();

void ResetScreenReview();

}  // namespace ScreenReview
