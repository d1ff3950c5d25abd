// The HUD's readouts: the mass warning, the combo, the level title, the mode readout, the score
// and the personal best; and two readouts no page draws (the feedback slots, the APM bar).
#pragma once
#include <string>

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
// The APM bar's fill width in pixels: full (0.1 x W) at 200 actions a minute; 0 before any time.
float apmBarWidth();
