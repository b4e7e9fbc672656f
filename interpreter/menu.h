// The spoken list menu of the MENU command: items in a rectangle of the screen, walked with
// the arrows (each item said as it becomes current), marked for several selection, and left
// with an ordinary or a function key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Menu {

inline constexpr int kCurrentColour = 14;
inline constexpr int kMarkedColour = 2;

struct State {
  bool exists = false;
  std::vector<std::string> items;
  std::vector<bool> marks;
  int left = 1, top = 1, right = 1, bottom = 1;
  int rows = 1;           // visible items: bottom - top + 1
  int current = 0;        // 0-based; -1 above the first item, items.size() below the last
  int firstVisible = 0;   // item shown on the top row
  int startPosition = 1;  // 1-based position MENU EXECUTA opens at
  uint8_t savedAttribute = 0x0F;
};

State& St();

struct RunResult {
  int position = 0;      // 1-based; 0 above the first item, count + 1 below the last
  uint8_t character = 0;  // the ending key's character, 0 for an extended key
  uint8_t extended = 0;   // its extended code, 0 for a character key
};

void MenuCreate(int left, int top, int right, int bottom);
void MenuAdd(std::string text);
// The item at a 1-based position; empty outside the list.
std::string MenuItem(int position);
int MenuCount();
void MenuDraw(bool speak);
RunResult MenuRun(int startPosition, bool speak);
// Blanks the rectangle and forgets the menu.
void MenuClose();

void ResetMenu();

}  // namespace Menu
