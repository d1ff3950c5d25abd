#include "engine/dev_overlays.h"

#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/meshes.h"
#include "engine/profiler.h"

#include <cstdio>
#include <limits>
#include <string>

// "%f" cut to its first five characters.
static std::string shortNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%f", value);
    return std::string(text).substr(0, 5);
}

static void overlayText(const std::string& text, float x, float y)
{
    freetype::printShadowed(text.c_str(), x, y, 2.0f, 5, 0.5f, 255, 255, 255, 255, &smallFont);
}

void renderProfiler(const std::vector<float>& frameTimes)
{
    const float h = static_cast<float>(screenHeight);
    const float w = static_cast<float>(screenWidth);
    const float rowHeight = 0.01f * h;
    updateProfileGraphs();
    const int visible = countVisibleProfileGraphs();

    glColor4ub(0, 0, 0, 100);
    Render2D(0.0f, 0.0f, w, 0.02f * h + (visible + 2) * rowHeight, 1, "", 100.0f);

    auto rowY = [&](int r) { return 0.02f * h + (r + 1) * rowHeight; };
    const float barOffset = 0.25f * smallFont.height;
    int r = 0;
    for (const ProfileGraph& graph : profileGraphs) {
        const float average = profileGraphAverage(graph);
        const float maximum = profileGraphMaximum(graph);
        if (average > 0.0001f) {
            enableCapability(GL_TEXTURE_2D);
            overlayText(graph.name, 0.01f * h, rowY(r));
            // One screen height of bar stands for 10 ms.
            glColor4ub(255, 0, 0, 255);
            Render2D(0.175f * h, rowY(r) - barOffset, average / 10.0f * h, 0.75f * rowHeight, 5, "", 255.0f);
            glColor4ub(255, 0, 0, 64);
            Render2D(0.175f * h, rowY(r) - barOffset, maximum / 10.0f * h, 0.75f * rowHeight, 5, "", 255.0f);
            overlayText(shortNumber(average), 0.15f * h, rowY(r));
            overlayText(shortNumber(maximum), 0.2f * h, rowY(r));
            ++r;
        }
        glColor4ub(0, 255, 0, 255);
        if (graph.name == "renderPolyparticleSprite") {
            for (std::size_t j = 0; j < graph.history.size(); ++j)
                Render2D(0.175f * h + 5.0f * j, rowY(r) - graph.history[j], 2.0f, 2.0f, 0, "", 255.0f);
        }
    }

    float frameAverage = std::numeric_limits<float>::quiet_NaN();
    if (!frameTimes.empty()) {
        float sum = 0.0f;
        for (float t : frameTimes) sum += t;
        frameAverage = sum / static_cast<float>(frameTimes.size());
    }
    if (frameAverage > 0.0001f) {
        overlayText("profileFrame", 0.01f * h, rowY(r));
        overlayText(shortNumber(frameAverage), 0.1f * h, rowY(r));
        glColor4ub(255, 0, 0, 255);
        Render2D(0.125f * h, rowY(r) - barOffset, frameAverage / 10.0f * h / 2.0f, 0.75f * rowHeight, 5, "", 255.0f);
        ++r;
    }
    enableCapability(GL_TEXTURE_2D);
    overlayText("FPS", 0.01f * h, rowY(r));
    overlayText(shortNumber(1000.0 / frameAverage), 0.1f * h, rowY(r));
    overlayText("VRAM", 0.01f * h, rowY(r + 1));
    overlayText(shortNumber(static_cast<double>(vboBytes / 1024 / 1024)), 0.1f * h, rowY(r + 1));
}

void renderAtlasViewer()
{
    PROFILE_SCOPE("renderAtlasViewer");
    const float h = static_cast<float>(screenHeight);
    glColor4ub(0, 0, 0, 1);
    Render2D(Vector2(0.0f, h), Vector2(h, h), 3, "", 1.0f);

    const int pages = static_cast<int>(atlasPages.size());
    const int columns = (pages + 1) / 2;
    if (columns > 0) {
        float tile = h / static_cast<float>(columns);
        const float halfWidth = static_cast<float>(screenWidth / 2);
        if (tile > halfWidth) tile = halfWidth;
        for (int i = 0; i < columns; ++i) {
            const float y = h - static_cast<float>(i) * tile;
            bindAtlasPage(2 * i);
            Render2D(Vector2(0.0f, y), Vector2(tile, tile), 3, "atlas", 128.0f);
            if (2 * i + 1 < pages) {
                bindAtlasPage(2 * i + 1);
                Render2D(Vector2(tile, y), Vector2(tile, tile), 3, "atlas", 128.0f);
            }
        }
    }
    const std::string caption = std::to_string(atlasSize) + " texel atlas";
    freetype::printShadowed(caption.c_str(), 32.0f, 32.0f + mediumFont.height, 2.0f, 5, 1.0f, 255, 255, 255, 128,
                            &mediumFont);
}
