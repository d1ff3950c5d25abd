// The menu page scheme: how every page on the menu backdrop draws its text, its hovered button's
// highlight and description, its heading and its stacked buttons. The geometry comes from the
// game's layout module (game/layout.h), which the pages' updates hit-test, so a highlight always
// covers exactly the box that reacts to the pointer.
//
// A column page (a table of {button, row, label, description}) is drawn whole by drawColumnPage:
// the backdrop, then the hovered button's bar and description, the heading on menuHeadingRow, and
// the labels. Pages with more on them use the pieces below in the same order.
#pragma once
#include <string>

#include "game/layout.h"

// Page text: mediumFont, white unless coloured, a 2-pixel black shadow. Anchors as printShadowed:
// 0 centred on x, 5 starting at x, 6 ending at x.
void pageText(const std::string& text, float x, float y, int anchor, float scale);
void pageTextColoured(const std::string& text, float x, float y, int anchor, float scale, float r, float g, float b,
                      float alpha);

// A sentence in page text centred on x, its first baseline at y: on one line where it fits the
// window less a text height each side, else wrapped at blanks into as few lines of about equal
// width as fit, a line and a half apart.
void drawSentence(const std::string& text, float x, float y, float scale);

// An image stretched over the box.
void drawImage(const LayoutRect& box, const std::string& texture, float alpha);
// "menuonoff.tga" stretched over the box at alpha 80.
void drawHighlight(const LayoutRect& box);
// The hovered button's description on the bottom line (scale 0.5, centred).
void drawDescription(const char* text);
// The heading on menuHeadingRow, centred.
void drawHeading(const char* text);
// A button label centred on the row (scale 1).
void drawRowLabel(const char* text, float row);

// The bar and description of the page's hovered button; nothing when no button of the page is.
void drawColumnHover(const ColumnPage& page);
// The page's labels, top to bottom as the table lists them.
void drawColumnLabels(const ColumnPage& page);
// A whole column page: backdrop, hover, heading, labels.
void drawColumnPage(const ColumnPage& page);
