// The game window's procedure: the window's own share of a message, then the game's input
// handlers, the carousel and the ranking wheel.
#pragma once
#include <cstdint>

// One window message in the window procedure's terms (platform/messages.h has the codes).
long windowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
