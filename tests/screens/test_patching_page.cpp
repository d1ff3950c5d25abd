#include "screens_fixture.h"

#include "game/score_screen.h"
#include "online/patching.h"
#include "screens/patching_page.h"

// At 1680 x 1050 with u = 27 and the page slid 10 pixels: the labels start and the values end
// 0.3 x 1050 from the centre, whatever the width.
TEST_F(ScreensTest, PatchingPageShowsSizesAndSpeed)
{
    scoreScreenSlide = 10.0f;
    downloadedBytes = 524288.0f;
    patchSize = 3145728.0f;
    downloadSpeed = 100.0f;
    downloadSpeeds = {50.0f, 150.0f};
    renderPatching();
    scoreScreenSlide = 0.0f;
    downloadSpeeds.clear();
    const struct {
        std::string text;
        float x, y;
        int anchor;
        float scale;
        const Font* font;
    } expected[] = {
        {"Patching", 850, 525 - 7 * 27, 0, 0.65f, &largeFont},
        {"Downloaded: ", 850 - 315, 525, 5, 1, &mediumFont},
        {"0.50 / 3.00 MB", 850 + 315, 525, 6, 1, &mediumFont},
        {"Speed:", 850 - 315, 525 + 54, 5, 1, &mediumFont},
        {"100.00 KB/s", 850 + 315, 525 + 54, 6, 1, &mediumFont},
    };
    std::vector<DrawCall> texts;
    for (const DrawCall& call : calls)
        if (call.op == DrawOp::PrintShadowed)
            texts.push_back(call);
    // The backdrop's own texts come first.
    ASSERT_GE(texts.size(), std::size(expected));
    texts.erase(texts.begin(), texts.end() - std::size(expected));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].text, expected[i].text);
        EXPECT_FLOAT_EQ(texts[i].x, expected[i].x) << expected[i].text;
        EXPECT_FLOAT_EQ(texts[i].y, expected[i].y) << expected[i].text;
        EXPECT_EQ(texts[i].anchor, expected[i].anchor) << expected[i].text;
        EXPECT_FLOAT_EQ(texts[i].scale, expected[i].scale) << expected[i].text;
        EXPECT_EQ(texts[i].font, expected[i].font) << expected[i].text;
        EXPECT_EQ(texts[i].shadow, 2.0f);
        EXPECT_EQ(texts[i].r + texts[i].g + texts[i].b + texts[i].alpha, 4 * 255.0f);
    }
}
