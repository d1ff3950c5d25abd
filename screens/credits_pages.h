// Three pages outside the menu tree: the restart notice, the credits and the congratulations
// scene of a completed Classic game.
#pragma once
#include <string>

// One line of the credits: its number below the logo (n x 1.25u), its scale and text.
struct CreditLine {
    int line;
    float scale;
    const char* text;
};
extern const CreditLine creditLines[];
extern const int creditLineCount;
// The baseline of credits line n: the logo's lower edge + 1.25 u n.
float creditLineY(int line);

// The restart page's rows: a unit of 3 x (W / 1920 x 22) pixels around the middle, the notice on
// row 0 and "Restart?" on the first row at least one and a half text heights below it.
float restartRowUnit();
int restartQuestionRow();

// The block texture a congratulations cube is drawn with: "" for a colour that has none.
std::string gratsCubeTexture(int colourIndex);

void renderRestart();
void renderCredits();
void renderGrats();
