// Small string, number, clipboard and hit-test helpers shared by the game and the screens.
#pragma once
#include <string>
#include <vector>

// Appends the non-empty pieces of text between delimiters to *pieces (which is not cleared).
void split(std::string text, std::string delimiter, std::vector<std::string>* pieces);
// Replaces every non-overlapping match of pattern, left to right; returns the new text.
std::string replaceAll(const std::string& pattern, const std::string& replacement, std::string& text);
// True when the pointer (mouseX, mouseY) lies strictly inside; an edge is outside.
bool isMouseInRect(int left, int top, int right, int bottom);
// "m:ss" (5 gives "0:05", 754 gives "12:34").
std::string formatSeconds(int seconds);
// Commas between groups of three from the right ("1234567" gives "1,234,567").
std::string groupDigits(const std::string& digits);
int fibonacci(int n);
// The clipboard's text; empty when it holds none.
std::string getClipboardText();
// Marks every tutorial page unseen and saves the settings.
void resetTutorials();
std::string unsignedToString(unsigned value);
