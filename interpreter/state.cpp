// The interpreter state and its reset.
#include "interpreter/state.h"

#include <ctime>

#include "console/console.h"
#include "interpreter/byte_buffer.h"
#include "interpreter/channels.h"
#include "interpreter/file_search.h"
#include "interpreter/line_index.h"
#include "interpreter/line_scan.h"
#include "interpreter/lists.h"
#include "interpreter/network_channels.h"
#include "interpreter/menu.h"
#include "interpreter/variables.h"
#include "platform/system/wall_clock.h"

namespace Interp {

bool StoreLine(std::string text, int number) {
  if (number < 1 || number > kMaxLines) return false;
  State& s = St();
  s.lines[number] = std::move(text);
  s.lineCount = number;
  LineScan::Stored(number);
  LineIndex::Invalidate();
  return true;
}

void ResetInterpreter() {
  State& s = St();
  s.currentLine = 1;
  s.errorFlag = false;
  s.stopFlag = false;
  s.quietEnd = false;
  s.debug = false;
  s.commandWord = {};
  s.callDepth = 0;
  s.statusCode = 0;
  s.randomSeed = 0;
  s.knownLabels = {};
  Channels::ResetChannels();
  FileSearch::ResetSearch();
  ByteBuffer::ResetBytes();
  NetworkChannels::ResetNetworkChannels();
  LineIndex::Invalidate();
  Variables::ClearVariables();
  Lists::ClearLists();
  Menu::ResetMenu();
  Console::ConsoleDelay(1);
  long hundredths = 0;
  const tm local = WallClock::LocalNow(hundredths);
  s.startHundredths = local.tm_hour * 360000LL + local.tm_min * 6000LL + local.tm_sec * 100LL + hundredths;
  s.startWeekday = local.tm_wday;
}

}  // namespace Interp
