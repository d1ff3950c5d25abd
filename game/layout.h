// Screen rectangles that the game hit-tests and the screens draw, in window pixels (y downwards).
// (The engine's ScreenRect is whole pixels; these boxes keep their fractions so the strict
// hit tests match the drawn highlights exactly.)
// W and H are the screen's width and height, u the height of the medium font; the pages centre on
// the integer halves of W and H.
#pragma once
#include <string>

struct LayoutRect {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
};

// The box of size w x h centred on (cx, cy).
LayoutRect centredRect(float cx, float cy, float w, float h);

// The width that sizes drawn in proportion to the width follow: the window's, but on a window
// wider than 16:9 that of a 16:9 window of its height, so that those pieces keep their 16:9 size
// beside what is placed by the height.
float basisWidth();

// The play screen's overlay.
// The card of a powerup (0 Multiplier, 1 Timewarp, 2 Fusion Pulse) at the bottom left of play:
// squares of a twentieth of the basis width, centred 1, 2.25 and 3.5 sides in, half a side above
// the bottom edge.
float powerupSlotSide();
LayoutRect powerupCardRect(int kind);
// The "ready" notice in the middle: 0.6 basis widths wide, in its picture's 700 : 143 proportion.
LayoutRect powerupNoticeRect();
// Where the lines naming the hovered powerup start, just right of the third card.
float powerupCardTextX();
// The HUD's texts stand hudInset() in from the left and right edges (0.05 H); the level title and
// the combo have their baselines on hudTopLine() (0.1 H), the mode readout and the score on
// hudBottomLine(), 0.025 basis widths above the bottom edge.
float hudInset();
float hudTopLine();
float hudBottomLine();
// The carried-colour cube: an edge of 0.075 H, centred at (W - 0.1 H, 0.8 H); its box holds it at
// every turn of its spin.
float carriedCubeEdge();
LayoutRect carriedCubeRect();
// A tutorial picture (a page of game/tutorials.h), drawn 0.25 basis widths per 482 of its
// pixels: the powerup page standing on the powerup cards, the mass warning near the top, the two
// combo pages mirrored 0.15 basis widths apart about the middle, the colour page left of the
// cube it shows, the control and mode pages in the middle.
LayoutRect tutorialCardRect(int page);
// The pointer's side: 0.04 basis widths.
float pointerSide();

// The pause popup's buttons. Its window is 0.6 x 0.3 of the screen height, centred; the boxes'
// width unit B is 0.03 basis widths, on a window narrower than 16:10 0.03 x 1.6 H.
// Pause menu: 1 "Resume", 2 "Restart", 3 "Options", 4 "Quit", one above the other.
LayoutRect pauseMenuButtonRect(int button);
// The tutorial-reset question: 1 "Yes" at the window's left, 2 "No" at its right.
LayoutRect resetPromptButtonRect(int button);
// The server-wait popup while it waits or after the reply: its one button ("Continue in offline
// mode", then "Resume").
LayoutRect serverWaitButtonRect();
// Its go-offline confirmation: 1 "Back" at the window's left, 2 "Continue" at its right.
LayoutRect offlineConfirmButtonRect(int button);

// The score and end-of-game pages: rows on menuRowY, labels starting at the left column (-1),
// titles and the middle button on the middle (0), values ending at the right column (1); the
// columns stand 0.15 W either side of the middle (on a window narrower than 16:10, 0.15 x 1.6 H)
// and all move with scoreScreenSlide.
float scoreColumnX(int column);
inline constexpr float scoreButtonRow = 4.2f;
// The score page's buttons on that row: 1 "Retry" left, 2 "Continue" centre, 3 "Quit" right.
// The drawn highlight and the hit box: 4b x 0.8b (b = 0.035 basis widths, on a window narrower
// than 16:10 0.035 x 1.6 H) on the middle of the text line, narrowed to the distance to the
// neighbouring button's centre where 4b is more.
LayoutRect scorePageButtonRect(int button);

// The achievements page's buttons: 1 the left arrow, 2 the right arrow (0.05 x H squares at the
// sides), 7 "Back" (a menu bar under the bottom row); an empty box for any other number.
LayoutRect achievementsButtonRect(int button);

// The pointer lies strictly inside the rectangle; an edge is outside.
bool pointerInside(const LayoutRect& rect);

// Menu pages: the text baseline of row k, H/2 + 2u k (k may be a half row).
float menuRowY(float k);
inline constexpr float menuHeadingRow = -3.5f;
// The bottom line, which carries the hovered button's description: H - 0.04 H.
float menuDescriptionY();
// The menu bars are sized by the bar basis V: the width W, on a window narrower than 4:3 4/3 H.
// The stacked button of row k, its highlight bar and hit box: V x 525/1680 by V x 55/1680, no
// higher than the rows' spacing 2u, centred on W/2 a little above the row's baseline (u / 2.75).
LayoutRect menuButtonRect(float k);
// The level-select page's narrow buttons, levels 1..10: 1-5 in a column 0.1 H left of the
// middle on rows -2..2, 6-10 in one 0.1 H right of it; bars V x 200/1680 wide (at most the
// columns' spacing 0.2 H) and as high as the stacked bars.
LayoutRect levelButtonRect(int level);
// The centre x of a level's column.
float levelColumnX(int level);
float levelRow(int level);

// A page of stacked buttons, one to a row: the page draws each label on its row and, for the
// hovered one, the bar of menuButtonRect(row) and the description on the bottom line; its update
// hit-tests the same bars in the table's order. Button numbers belong to the page (a "Back" is
// 6 or 7 wherever it stands); a row without a button stays empty.
struct ColumnButton {
    int button;
    float row;
    const char* label;
    const char* description;
};
struct ColumnPage {
    const char* heading;   // drawn on menuHeadingRow; null for none
    const ColumnButton* buttons;
    int count;
};
extern const ColumnPage mainMenuPage;       // seven buttons, no heading (the link icons apart)
extern const ColumnPage gameTypePage;
extern const ColumnPage difficultyPage;
extern const ColumnPage rankedChoicePage;
extern const ColumnPage levelSelectBackPage;   // the level-select page's "Back" (7, row 4)
// The page's button with that number, null for none.
const ColumnButton* findColumnButton(const ColumnPage& page, int button);
// The first button of the page whose bar holds the pointer, else 0.
int hitColumnPage(const ColumnPage& page);
// Which of the buttons 1..count of a row holds the pointer, else 0 (the last, were two to overlap).
int hitButtons(LayoutRect (*buttonRect)(int), int count);
// The main menu's three link icons at the bottom right, 0 Twitter, 1 Facebook, 2 feedback:
// squares of 0.04 H.
LayoutRect socialIconRect(int icon);

// The achievements page's unit A: the height, but below 4:3 that of a 4:3 window of the width,
// so that the carousel's three columns and the arrows beside them fit the window. Its tiles are
// 0.125 A high and the neighbouring columns 0.375 A from the middle.
float achievementsUnit();
// The achievements page's arrows (-1 left, 1 right): squares of 0.05 A, 0.1 A in from the sides.
// Its "Back" is menuButtonRect(4.5).
LayoutRect achievementArrowRect(int side);

// The options page. Its nine setting rows r = 0..8 (Resolution at the top, Colorblind Mode at the
// bottom) have their text baselines at 0.4 H + 1.6u (r - 1); "Back" and "Save" are drawn on the
// baseline of r = 9.
inline constexpr int optionsRowCount = 9;
inline constexpr float optionsTextScale = 0.8f;
float optionsRowY(int row);
// Its columns: labels start at 0.3 W (or further left, to half a text height from the edge at
// most, where the widest label would come within a text height of the left arrows), values centre
// on 0.64 W, "<" and ">" 0.06 W either side of them, or further out where the widest value
// (widestValue wide, the options page's own) would come within half a text height of them.
// widestLabel is the page's widest label.
float optionsLabelX(float widestLabel, float widestValue);
float optionsValueX();
float optionsArrowX(int side, float widestValue);
// A row's "<" (side -1) or ">" (side 1): the character's box.
LayoutRect optionsArrowRect(int row, int side, float widestValue);
// "Back" (starting at the labels' x) and "Save" (centred at 0.64 W): the highlight drawn behind
// each and its hit box, 4b x 0.8b (b = 0.03 basis widths, on a window narrower than 4:3 of 4/3 H)
// on the middle of the text line they are drawn on.
LayoutRect optionsBackRect(float labelX);
LayoutRect optionsSaveRect();

// The text fields of the login and new-profile pages: a box boxShare x H wide, whose text, drawn
// at `scale` from 0.05 of the box in, has room for 0.875 of its width (the caret after it).
bool entryTextFits(const std::string& shown, float boxShare, float scale);
// The entry panels of the login and new-profile pages: the stacked button of row k, its box
// placed with the small font's height (s / 2.75 above the baseline) where the bar drawn under
// the label uses u.
LayoutRect entryButtonRect(float k);

// The ranking page's table and scroll bar for a list of `rows` rows scrolled to `scroll` (ten
// rows show): the one geometry its update, its drawing and the click's thumb grab share.
struct RankingScrollBar {
    float centreY = 0.0f;       // yc: the table's centre, 3 % of H below the middle
    float tableWidth = 0.0f;    // T = H / 1.4
    float tableHeight = 0.0f;   // S = H / 3.4
    float rowHeight = 0.0f;     // r = S / 11: a header row and ten rows
    float columnX = 0.0f;       // the scroll column's centre x
    LayoutRect track;           // the whole track
    LayoutRect thumb;           // the handle
    float trackTop = 0.0f;
    float trackLength = 0.0f;    // L: eight row heights
    float usableLength = 0.0f;   // L': shortened by what a minimum-size thumb adds
    float naturalThumb = 0.0f;   // t0 = 10 / rows x L, before the minimum of half a row
    float thumbLength = 0.0f;    // t0, at least half a row
    float thumbOffset = 0.0f;    // the thumb's top below the track's: scroll / rows x L'
    // Centre y of table row i: 0 the header, 1..10 the rows shown.
    float rowY(int i) const { return centreY - tableHeight / 2.0f + static_cast<float>(i) * rowHeight; }
};
RankingScrollBar rankingScrollBar(int rows, int scroll);
// The ranking page's buttons: 2 the up cell and 3 the down cell of the scroll column, 5 "Back"
// and 6 "Find Me" (their highlights, 0.12 x 0.024 of the basis width, on a window narrower than
// 4:3 of 4/3 H); an empty box for any other number.
LayoutRect rankingButtonRect(int button);
// The mode's name, centred at scale 0.75 on the middle of this baseline, 6.5 u above the middle.
inline constexpr float rankingModeScale = 0.75f;
float rankingModeY();
// The mode arrows (-1 "<", 1 ">"): centred 0.05 W either side of the middle, or further out
// where the widest mode name would come within a blank's width of them.
float rankingModeArrowX(int side);
// An arrow's character box.
LayoutRect rankingModeArrowRect(int side);
// The baseline of the ranking page's "Back" and "Find Me", and their x: "Back" starts at the
// left one, "Find Me" ends at the right one.
float rankingButtonsY();
float rankingButtonX(int button);
