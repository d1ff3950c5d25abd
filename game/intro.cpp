#include "game/intro.h"

#include "engine/config.h"
#include "engine/log.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "game/game_state.h"
#include "game/page_state.h"
#include "game/states.h"
#include "online/login.h"
#include "online/requests.h"

float introTimer = 0.0f;
bool introAssetsLoaded = false;
std::string cheeveIcons[28];
std::string cheeveTitles[28];
std::string cheeveDescriptions[28];

const char* const introSounds[16] = {
    "clunk-hardcore.ogg", "swish.ogg",    "clunk-hardcore.ogg",  "stab6.ogg",
    "tick.ogg",           "massincrease.ogg", "subdrop.ogg",     "woob.ogg",
    "explosey3.ogg",      "ethereal2.ogg", "lazor.ogg",          "cheeve6.ogg",
    "tsdnb_melody_loop.ogg", "tsdnb_drums.ogg", "endbreakshort3.ogg", "trololo.ogg",
};

namespace {

struct Achievement {
    const char* icon;
    const char* title;
    const char* description;
};

const Achievement achievements[27] = {
    {"achi-lightheaded.tga", "Lightheaded", "Spin the mass 300 times in 10 seconds"},
    {"achi-chainreaction.tga", "Chain Reaction", "Create a 13x combo in any game mode"},
    {"achi-personalgrowth.tga", "Personal Growth", "Beat your personal best score in classic mode"},
    {"achi-epic.tga", "Epic", "Get an epic performance rating in any game mode"},
    {"achi-legendary.tga", "Legendary", "Reach rank 1 in the overall leaderboard"},
    {"achi-tessarine.tga", "Tessarine", "Unlock all achievements"},
    {"achi-massaddict.tga", "Mass Addict", "Play for 100 hours"},
    {"achi-learnedtoplay.tga", "Learned To Play", "Complete classic mode on casual difficulty"},
    {"achi-vexalpro.tga", "Vexal Pro", "Complete classic mode on normal difficulty"},
    {"achi-vexalmaster.tga", "Vexal Master", "Complete classic mode on normal difficulty in under 20 minutes"},
    {"achi-vexalexpert.tga", "Vexal Expert", "Complete classic mode on expert difficulty"},
    {"achi-vexallyinsane.tga", "Vexally Insane", "Complete classic mode on expert difficulty in under 20 minutes"},
    {"achi-holdstill.tga", "Hold Still",
     "Complete classic mode on normal difficulty or higher without using rotation"},
    {"achi-quicksave.tga", "Quick Save", "Use a fusion pulse above 90% tessarine on normal difficulty or higher"},
    {"achi-ambidextrous.tga", "Ambidextrous",
     "Complete classic mode on normal difficulty using both normal & reversed controls"},
    {"achi-elitist.tga", "Elitist",
     "Complete classic mode on normal difficulty or higher without using timewarp & fusion pulse"},
    {"achi-betatester.tga", "Beta Tester", "Complete classic mode on casual, normal & expert"},
    {"achi-classicallytrained.tga", "Classically Trained",
     "Reach rank 1 in classic mode on normal difficulty or higher"},
    {"achi-quorvane.tga", "Quorvane", "Average actions per minute 80+ in rush mode"},
    {"achi-killstreak.tga", "Killstreak", "5 combos within 10 seconds in rush mode"},
    {"achi-buttonmasher.tga", "Button Masher", "Reach rank 1 in rush mode"},
    {"achi-zenmaster.tga", "Zen Master", "Build a 16x combo in meditation mode"},
    {"achi-intothevoid.tga", "Into The Void", "Finish meditation mode with a score of zero"},
    {"achi-enlightenment.tga", "Enlightenment", "Reach rank 1 in meditation mode"},
    {"achi-survivalist.tga", "Survivalist", "Survive for 5 minutes in survival mode"},
    {"achi-youvegotredonyou.tga", "You've Got Red On You",
     "Survive at 80% tessarine for 10 seconds in survival mode"},
    {"achi-lastmanstanding.tga", "Last Man Standing", "Reach rank 1 in survival mode"},
};

} // namespace

void fillAchievementTables()
{
    for (int n = 1; n <= 27; ++n) {
        cheeveIcons[n] = achievements[n - 1].icon;
        cheeveTitles[n] = achievements[n - 1].title;
        cheeveDescriptions[n] = achievements[n - 1].description;
    }
}

namespace {

// Meshes, particle prototypes and every sound in one frame while the title is up, so that no later
// page stalls on its first use of one; then the achievement tables.
void loadIntroAssets()
{
    logMessage("Title texture loaded");
    loadMesh(&cubeMesh, "cube.mbm");
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    loadPolyparticleMesh(cubeMesh, &cubePolyparticles);
    loadPolyparticleMesh(geosphereMesh, &geospherePolyparticles);
    for (const char* sound : introSounds)
        LoadSoundFile(sound);
    fillAchievementTables();
}

void chooseNextPage()
{
    if (offlineMode == 99) {
        gameState = gs::IntroToLogin;
        popupId = 11;
        username.clear();
        playerPassword.clear();
    } else if (!username.empty()) {
        gameState = gs::IntroToLogin;
        popupId = 13;
    } else {
        gameState = gs::IntroToNewProfile;
        popupId = 20;
    }
}

// The reply itself is not read: only whether the server could be reached.
void serverAnswered(int resultCode, const std::string&)
{
    if (resultCode != CURLE_OK)
        offlineMode = 99;
    chooseNextPage();
}

// Without a stored name the server is asked whether it can be reached at all; the title stays up
// while the answer is on its way.
void leaveIntro()
{
    if (!username.empty()) {
        chooseNextPage();
        return;
    }
    askServerChoice(serverAnswered);   // one in flight: asking again while it is waits for it
}

} // namespace

void UpdateIntro(float dtMs)
{
    PROFILE_SCOPE("UpdateIntro");
    advanceFrameTicker();
    getTextureIndex(introTitleTexture);   // queued from the first frame on

    if (startupPhase == 2) {
        // A title the pack does not hold can never come: the intro then runs its time without it.
        if (isTextureReady(introTitleTexture)) {
            introTimer += dtMs;
            if (!introAssetsLoaded) {
                introAssetsLoaded = true;
                loadIntroAssets();
            }
        }
        if (introTimer > introLength)
            leaveIntro();
    }
    queueAllTextures();
}
