#include "game/main_menu.h"

#include "engine/profiler.h"
#include "engine/sound.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/level_end.h"

float menuSpinAngle = 0.0f;
bool musicLoopsStarted = false;
int trololoSource = -1;

namespace {

// Every loop starts silent; the state machine's music mix raises the ones a page wants.
void startMusicLoops()
{
    menuMelodySource = PlaySoundLoop("tsdnb_melody_loop.ogg", 0.0f);
    menuDrumsSource = PlaySoundLoop("tsdnb_drums.ogg", 0.0f);
    massIncreaseSource = PlaySoundLoop("massincrease.ogg", 0.0f);
    trololoSource = PlaySoundLoop("trololo.ogg", 0.0f);
    etherealSource = PlaySoundLoop("ethereal2.ogg", 0.0f);
    musicLoopsStarted = true;
}

} // namespace

void advanceMenuSpin(float dtMs)
{
    menuSpinAngle += dtMs / 2.5f;
    if (menuSpinAngle > 360.0f)
        menuSpinAngle -= 360.0f;
}

void UpdateMenu(float dtMs)
{
    PROFILE_SCOPE("UpdateMenu");
    advanceFrameTicker();
    levelCompleteTimer = 0.0f;
    advanceMenuSpin(dtMs);
    if (!musicLoopsStarted)
        startMusicLoops();

    for (int icon = 0; icon < 3; ++icon)
        if (pointerInside(socialIconRect(icon))) {
            hoveredButton = firstSocialButton + icon;
            return;
        }
    hoveredButton = hitColumnPage(mainMenuPage);
}
