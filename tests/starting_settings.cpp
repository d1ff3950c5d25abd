// Every test starts from the settings its program started with. Loading the settings file, the
// quality presets and the console's "set" change them, and a test program run whole would hand
// one test's settings to whichever test comes next. So with the texture lists: a test that asks
// for an image without a window or pack leaves its name queued, where the game starts with none.
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/textures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

auto settings()
{
    return std::tie(screenWidth, screenHeight, AAlevel, vSync, visualQuality, motionBlur, motionBlurSuspended,
                    mouseFlip, fullscreen, buffer, musicVol, soundVol, tuteControl, tutePup, tuteCombo, tuteComboNow,
                    tuteColor, tuteCrit, tuteRush, tuteSurvival, tuteMeditation, colorblind, password, username,
                    playerPassword, anisotropicFiltering, displayModeIndex, displayModes, visualQualityUnstored,
                    visualQualityNote, atlasSize, smallTextures, particleDeg, showAtlas, showCurlConsole, showFps,
                    showParticleCount, showProfiling);
}

template <class... T>
std::tuple<T...> copyOf(const std::tuple<T&...>& references)
{
    return references;
}

class StartingSettings : public ::testing::EmptyTestEventListener {
    void OnTestProgramStart(const ::testing::UnitTest&) override { start = copyOf(settings()); }
    void OnTestStart(const ::testing::TestInfo&) override
    {
        settings() = start;
        resetTextures();
    }

    decltype(copyOf(settings())) start;
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new StartingSettings);
    return true;
}();

} // namespace
