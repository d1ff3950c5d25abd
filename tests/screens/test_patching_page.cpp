#include "screens_fixture.h"

#include "game/score_screen.h"
#include "online/patching.h"
#include "screens/patching_page.h"

// At 1680 x 1050 with u = 27 and the page slid 10 pixels: the labels start and the values end
// 0.3 x 1050 from the middle, whatever the width.
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
    std::vector<std::string> drawn;
    for (const DrawCall& c : calls)
        if (c.op == DrawOp::PrintShadowed)
            drawn.push_back(c.text + " " + std::to_string(int(c.x)) + " " + std::to_string(int(c.y)) + " " +
                            std::to_string(c.anchor) + (c.font == &largeFont ? " large" : ""));
    // The backdrop's own texts come first.
    ASSERT_GE(drawn.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(drawn.end() - 5, drawn.end()),
              (std::vector<std::string>{"Patching 850 336 0 large", "Downloaded:  535 525 5", "0.50 / 3.00 MB 1165 525 6",
                                        "Speed: 535 579 5", "100.00 KB/s 1165 579 6"}));
}
