// The program's start-up after the window exists and its shut-down before the window goes: the
// engine's share, the web requests' libcurl handles, the rankings' lists and the first level.
#pragma once

// Always true: problems are logged and the program carries on.
bool initialize();
// Releases the HTTP handles, then what the engine holds outside the process.
void deinitialize();
