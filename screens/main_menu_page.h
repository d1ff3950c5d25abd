// The main menu: the backdrop, the news window, the link icons and the seven buttons.
#pragma once
#include <string>
#include <vector>

// The news cut into the window's lines: made when the menu first shows news, and made again when
// a new news reply (another login's) has replaced the text.
extern std::vector<std::string> newsLines;

// The lines of a news text as the window shows them, at most maxNewsLines of them. Replies end
// their lines with "\r\n"; the carriage returns are dropped first, so they neither print as "*"
// nor keep a blank line from counting as blank.
std::vector<std::string> wrapNews(std::string text);

void renderMenu();
