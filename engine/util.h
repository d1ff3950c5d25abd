// Small string, number and clipboard helpers shared by the game and the screens.
#pragma once
#include <string>
#include <vector>

// Appends the non-empty pieces of text between delimiters to *pieces (which is not cleared).
void split(std::string text, std::string delimiter, std::vector<std::string>* pieces);
// Replaces every non-overlapping match of pattern, left to right; returns the new text.
std::string replaceAll(const std::string& pattern, const std::string& replacement, std::string& text);
// "m:ss" (5 gives "0:05", 754 gives "12:34").
std::string formatSeconds(int seconds);
// Commas between groups of three from the right ("1234567" gives "1,234,567"); a leading sign
// stands before the groups ("-1234" gives "-1,234").
std::string groupDigits(const std::string& digits);
int fibonacci(int n);
// The clipboard's text; empty when it holds none.
std::string getClipboardText();
std::string unsignedToString(unsigned value);
