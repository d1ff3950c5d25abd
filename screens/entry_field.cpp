#include "screens/entry_field.h"

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "screens/page_scheme.h"

namespace {

// Text wider than the box shows its tail, so the caret at its end stays in view.
std::string visibleTail(const std::string& shown, float boxShare, float scale)
{
    std::size_t first = 0, fits = shown.size();   // the longest tail that fits starts in first..fits
    while (first < fits) {
        const std::size_t middle = first + (fits - first) / 2;
        if (entryTextFits(shown.substr(middle), boxShare, scale))
            fits = middle;
        else
            first = middle + 1;
    }
    return shown.substr(first);
}

} // namespace

void drawEntryField(const EntryField& field)
{
    const float x = static_cast<float>(screenWidth / 2), u = mediumFont.height;
    const float w = field.boxShare * static_cast<float>(screenHeight), boxY = menuRowY(0.0f) - u / 2.0f;
    drawRowLabel(field.label, -1.0f);
    drawColourQuad(x, boxY, w, 1.75f * u, 0, 255, 255, 255, 15);
    drawLineLoop(x, boxY, w, 1.75f * u, 0, 255, 255, 255, 50, 2.0f);
    enableCapability(GL_TEXTURE_2D);
    const std::string text = visibleTail(field.shown, field.boxShare, field.textScale) + (caretBlink ? "_" : "");
    pageText(text, x - 0.9f * w / 2.0f, menuRowY(0.0f), 1, field.textScale);
    freetype::printShadowed(field.note, x, menuRowY(1.0f), 2.0f, 0, 1.0f, 255, 255, 255, 255, &smallFont);
}

std::string maskedText(const std::string& password)
{
    return std::string(password.size(), '*');
}
