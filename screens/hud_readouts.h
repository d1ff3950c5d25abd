// The HUD's readouts: the mass warning, the combo, the level title, the mode readout, the score
// and the personal best; and two readouts no page draws (the feedback slots, the APM bar).
#pragma once
#include <string>

#include "engine/fonts.h"
#include "game/layout.h"

void renderMassWarning();
void renderCombo();
void renderLevel();
void renderScore();
void renderFeedback();
void renderAPM();

// The warning image and its alpha (0..150); "" when none is drawn.
struct MassWarning {
    std::string texture;
    float alpha = 0.0f;
};
MassWarning massWarning();
// "Level N", or the mode's name in Rush, Survival and Meditation.
std::string levelTitle();
// The mode's own readout (Survival countdown, Rush time, Meditation blocks); "" in Classic.
std::string modeReadout();
// The shown score's magnitude with grouped digits.
std::string scoreText(int score);
std::string personalBestText();
// A HUD text as it is drawn: anchor and scale as print takes them.
struct HudText {
    std::string text;   // "" for none
    float x = 0.0f, y = 0.0f;
    int anchor = 5;
    float scale = 1.0f;
    const Font* font = nullptr;
};
// The level title and the personal best under it at the top left, the combo at the top right;
// the mode readout at the bottom left and the score at the bottom right, each kept to its half of
// the window (sized down where it would not fit).
HudText hudTitle();
HudText hudBest();
HudText hudCombo();
HudText hudReadout();
HudText hudScore();
// Its box as the game measures it; an empty box for no text.
LayoutRect hudTextBox(const HudText& text);
// The baseline of a note centred at the bottom of play (smallFont, "Click to Continue"): 2u
// above the bottom edge, or, where it would come within half a text height of the mode readout or
// the score, half a text height above them.
float playNoteBaseline(const char* note);

// The APM bar's fill width in pixels: full (0.1 x W) at 200 actions a minute; 0 before any time.
float apmBarWidth();
