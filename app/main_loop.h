// Program entry and the main loop: start-up, the window passes, shut-down, and one frame.
#pragma once
#include <cstdint>

// The game's entry: start-up, window passes, shut-down. Returns the process exit code:
// 0 after a normal run, non-zero when no window could be made.
int gameMain(int argc, char** argv);

// The version text this executable was built with ("0.1.0"), before it becomes gameVersion.
const char* buildVersionText();

struct GameWindow;
// One frame of the main loop: at most one window message, the focus test, the frame time since
// previousCount (updated), streaming, Update, Draw and the swap. False once the frame took the
// quit message (the frame still ran to its end).
bool runFrame(GameWindow& window, std::uint64_t& previousCount);
