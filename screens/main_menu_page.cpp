#include "screens/main_menu_page.h"

#include <GL/gl.h>

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/log.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "game/main_menu.h"
#include "online/replies.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

std::vector<std::string> newsLines;

namespace {

std::string wrappedNews;   // the text newsLines were made from

constexpr float newsScale = 0.475f;
const char* const iconTextures[3] = {"social-twitter.tga", "social-facebook.tga", "social-tsg.tga"};
const char* const iconDescriptions[3] = {"Follow us on Twitter!", "Follow us on Facebook!", "Feedback & Support"};

struct NewsWindow {
    float x, y, w, h;   // centre and size
    float margin;
};

NewsWindow newsWindow()
{
    const float h = static_cast<float>(screenHeight);
    const float w = 0.3f * h;
    return {0.01f * h + w / 2.0f, static_cast<float>(screenHeight / 2), w, w / 331.0f * 531.0f, 0.022f * h};
}

void drawNews()
{
    const NewsWindow win = newsWindow();
    Render2D(win.x, win.y, win.w, win.h, 0, "newswindow.tga", 64.0f);
    if (newsText.empty()) {
        const float side = 0.0609524f * static_cast<float>(screenHeight);
        glPushMatrix();
        glTranslatef(win.x, win.y, 0.0f);
        glRotatef(menuSpinAngle, 0.0f, 0.0f, 1.0f);
        Render2D(0.0f, 0.0f, side, side, 0, "loadingbar.tga", 175.0f);
        glPopMatrix();
        return;
    }
    if (newsLines.empty() || wrappedNews != newsText) {
        newsLines = wrapNews(newsText);
        wrappedNews = newsText;
    }
    const float u = mediumFont.height;
    const float x = win.x - win.w / 2.0f + win.margin;
    const float top = win.y - win.h / 2.0f + win.margin + 0.7f * u;
    pageText("News", x, top, 5, 0.7f);
    // A blank line is three quarters of a line high; the lines that would pass the window's lower
    // margin are left out.
    const float bottom = win.y + win.h / 2.0f - win.margin;
    float t = 0.0f;
    for (const std::string& line : newsLines) {
        const float y = top + 0.7f * u + 1.75f * newsScale * u * t;
        if (y > bottom)
            break;
        pageText(line, x, y, 5, newsScale);
        t += (line.empty() || line == " ") ? 0.75f : 1.0f;
    }
}

} // namespace

std::vector<std::string> wrapNews(std::string text)
{
    replaceAll("\r", "", text);
    const NewsWindow win = newsWindow();
    std::vector<std::string> lines = wrapText(text, mediumFont, newsScale, win.w, win.margin);
    // Every line is drawn every frame: long lines wrapped into many are cut like the reply was.
    if (lines.size() > maxNewsLines) {
        logMessage("News cut to " + std::to_string(maxNewsLines) + " lines");
        lines.resize(maxNewsLines);
    }
    return lines;
}

void renderMenu()
{
    PROFILE_SCOPE("renderMenu");
    renderMenuBase();
    if (hasNews != 0)
        drawNews();
    for (int icon = 0; icon < 3; ++icon) {
        const LayoutRect box = socialIconRect(icon);
        // The last icon is a pixel larger than its box.
        const float grow = icon == 2 ? 1.0f : 0.0f;
        Render2D((box.left + box.right) / 2.0f, (box.top + box.bottom) / 2.0f, box.right - box.left + grow,
                 box.bottom - box.top + grow, 0, iconTextures[icon], 255.0f);
    }
    drawColumnHover(mainMenuPage);
    drawColumnLabels(mainMenuPage);
    const int icon = hoveredButton - firstSocialButton;
    if (icon >= 0 && icon < 3)
        drawDescription(iconDescriptions[icon]);
}
