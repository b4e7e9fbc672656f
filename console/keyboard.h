// Keyboard input of the console: the 64-byte key queue, the translation of key and mouse
// messages into key codes, and the waits that read them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/events/messages.h"

namespace Keyboard {

inline constexpr int kQueueSize = 64;

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
