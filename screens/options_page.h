// The options page: nine setting rows with their values between "<" and ">", "Back" and "Save".
#pragma once
#include <string>

// A float as a default text stream writes it: 1280, 10, 0.5.
std::string plainNumber(float value);
// The value a setting row shows, row 0 (Resolution) to 8 (Colorblind Mode). The resolution is
// the chosen display mode, or the window's own size when the stored size is no mode of the list.
std::string optionsValueText(int row);
void renderOptions();
