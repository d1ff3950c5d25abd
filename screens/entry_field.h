// The text field of the login and new-profile pages: its label above, the box with the text as
// it is shown (a password masked; only its tail when it is wider than the box) and the caret, and
// its note below.
#pragma once
#include <string>

struct EntryField {
    const char* label;
    float boxShare;       // the box's width as a share of the screen height
    std::string shown;    // the text as the field shows it, without the caret
    float textScale;
    const char* note;     // under the box, on row 1, in the small font
};
void drawEntryField(const EntryField& field);
// One "*" for every character: a password is never drawn.
std::string maskedText(const std::string& password);
