// The options page and the restart prompt.
#pragma once
#include <string>

#include "game/layout.h"

// The button number of each setting row, top to bottom: Resolution, Fullscreen, Visual Quality,
// VSync, Reset Tutorials, Music Vol, Sound Vol, Mouse Buttons, Colorblind Mode. The first four
// are the window's: locked while the page was opened from the game, and a change to them needs a
// restart. "Back" is button 8, "Save" 9.
inline constexpr int optionsRowButtons[optionsRowCount] = {1, 2, 3, 4, 5, 6, 7, 10, 11};
inline constexpr int optionsWindowRows = 4;
inline constexpr int optionsBackButton = 8;
inline constexpr int optionsSaveButton = 9;

// The rows' labels, top to bottom.
extern const char* const optionsRowLabels[optionsRowCount];

extern bool displaySettingsChanged;   // a window setting was touched this run: Save restarts
extern int resetTutorialsPending;     // 0/1: Save marks every tutorial page unseen

// A float as a default text stream writes it: 1280, 10, 0.5.
std::string plainNumber(float value);
// The value a setting row shows, row 0 (Resolution) to 8 (Colorblind Mode). The resolution is
// the chosen display mode, or the window's own size when the stored size is no mode of the list.
std::string optionsValueText(int row);
// The width, at the page's text scale, of the widest value the rows can show: every choice of
// the fixed rows, every display mode and the values shown now. The arrows stand clear of it.
float optionsWidestValue();
// The width, at the page's text scale, of the widest label.
float optionsWidestLabel();

// Finds the arrow or button under the pointer (hoveredButton, hoveredArrow).
void UpdateOptions(float dtMs);
// A left click on the page: steps the setting of the hovered arrow, or leaves with Save or Back.
void clickOptions();

// The restart prompt: starts the program again once, then logs out, which ends this run.
void UpdateRestart(float dtMs);
extern bool restartStarted;
// What starts the new copy (the platform's launcher: no shell, no PATH search); tests record.
extern int (*programStarter)(const std::string& path);
