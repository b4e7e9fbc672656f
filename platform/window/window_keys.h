// SDL keyboard, text and mouse events of the console window turned into the Windows-like
// key messages the keyboard reads: key-down and key-up with virtual keys, characters in
// Windows-1252, system keys for Alt and F10, mouse buttons and the wheel.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/events/messages.h"

namespace WindowKeys {

// Shift, Ctrl and Alt (Keys::kShift ...) of SDL's modifier state.
uint8_t Modifiers(SDL_Keymod mod);
// The virtual key of an SDL key (0 when it has none).
uint16_t VirtualKey(SDL_Keycode key, SDL_Keymod mod);
// The messages an event gives; none for events that are not keys, text or the mouse.
std::vector<Messages::Message> Translate(const SDL_Event& event);

}  // namespace WindowKeys
