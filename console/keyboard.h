// Keyboard input of the console: the 64-byte key queue, the translation of key and mouse
// messages into key codes, and the waits that read them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/events/messages.h"

namespace Keyboard {

inline constexpr int kQueueSize = 64;

// The key codes the queue holds. A key that types a character is that byte: Ctrl with a
// letter is 1..26, and these control keys have names.
inline constexpr uint8_t kCtrlB = 2, kCtrlC = 3, kCtrlD = 4, kBackspace = 8, kTab = 9, kCtrlEnter = 10,
                         kCtrlK = 11, kCtrlL = 12, kEnter = 13, kCtrlS = 19, kCtrlU = 21, kCtrlV = 22,
                         kCtrlY = 25, kEsc = 27, kCtrlBackslash = 28, kCtrlBackspace = 127;
// Every other key is a 0 byte and then its extended code.
inline constexpr uint8_t kExtF1 = 59, kExtF4 = 62, kExtF5 = 63, kExtF6 = 64, kExtF8 = 66, kExtF9 = 67,
                         kExtF12 = 70, kExtHome = 71, kExtUp = 72, kExtPageUp = 73, kExtLeft = 75,
                         kExtRight = 77, kExtEnd = 79, kExtDown = 80, kExtPageDown = 81, kExtInsert = 82,
                         kExtDelete = 83;
inline constexpr uint8_t kExtCtrlF1 = 94, kExtCtrlF4 = 97, kExtCtrlF5 = 98, kExtCtrlF8 = 101,
                         kExtCtrlF9 = 102, kExtCtrlF11 = 104, kExtCtrlF12 = 105, kExtCtrlLeft = 115,
                         kExtCtrlRight = 116, kExtCtrlEnd = 117, kExtCtrlPageDown = 118, kExtCtrlHome = 119,
                         kExtCtrlPageUp = 132, kExtShiftInsert = 254, kExtCtrlInsert = 255;

// The window procedure hands every key, character, mouse and focus message here.
void HandleMessage(const Messages::Message& message);
// Pumps the pending messages and tells whether a key byte is queued (removes nothing).
bool ConsoleKeyPressed();
// Waits (sleeping in the event loop) until a byte is queued, then removes and returns it.
// When no key can ever come (the key script is done) the console is closed.
uint8_t ConsoleReadKey();
// Plain line input with echo; the result ends with carriage return and line feed.
std::string ConsoleReadLine(std::size_t capacity);
// Shift, Ctrl, Alt held now, as the three digits "1"/"0" of the key texts.
std::string ShiftStateDigits();
// Pumps the pending messages and takes every Esc out of the queue, leaving the other keys
// in their order; true when there was one.
bool TakeEscape();
// Drops every waiting key, and the keys the device holds typed ahead.
void DiscardWaitingKeys();
int QueueCount();
void ClearQueue();
// Puts bytes in the queue as the window does (false when they do not fit).
bool QueueBytes(const uint8_t* bytes, int count, int limit = kQueueSize);
void ResetKeyboard();

}  // namespace Keyboard
