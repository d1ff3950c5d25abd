#include "engine/startup.h"

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/color.h"
#include "engine/config.h"
#include "engine/console.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/meshes.h"
#include "engine/picking.h"
#include "engine/random.h"
#include "engine/sound.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "platform/system.h"
#include "platform/video.h"

#include <AL/alut.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string osName;
std::string cpuName;
std::string ramText;
std::string glVersion, videoCard, glVendor;
int startupPhase = 0;
float powerupBlockSpin = 0;

namespace {
bool soundExitRegistered = false;

std::string glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// Errors left by earlier calls would read as the atlas allocation running out of memory.
void drainGlErrors()
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; i++) {
    }
}
} // namespace

std::string describeOs(const std::string& name, const std::string& version)
{
    if (name.empty())
        return version;
    if (version.empty())
        return name;
    return name + " " + version;
}

std::string megabytesText(unsigned long long bytes)
{
    return std::to_string(bytes / 1024 / 1024);
}

void initializeEngine()
{
    clearLogFile("console.log");
    logMessage("Initializing");

    osName = describeOs(platformOsName(), platformOsVersion());
    logMessage("OS: " + osName);
    platformShowCursor(false);   // the game draws its own
    cpuName = platformCpuName();
    logMessage("CPU: " + cpuName);
    ramText = megabytesText(platformTotalMemoryBytes());
    logMessage("RAM: " + ramText);
    logMessage(gameVersion);   // the lines logged before this file was emptied are gone

    glVersion = glText(GL_VERSION);
    videoCard = glText(GL_RENDERER);
    glVendor = glText(GL_VENDOR);
    logMessage("OpenGL: " + glVersion);
    logMessage("Video Card: " + videoCard);
    logMessage("Manufacturer: " + glVendor);
    // Said again: the window's lines were emptied out of the file above.
    if (!visualQualityNote.empty())
        logMessage(visualQualityNote);
    if (!settingsUnreadNote.empty())
        logMessage(settingsUnreadNote);

    readAnisotropy();
    powerupBlockSpin = 0;

    resizeView(screenWidth, screenHeight);

    enableCapability(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    enableCapability(GL_BLEND);
    enableCapability(GL_MULTISAMPLE_ARB);

    seedRandom(platformTickCount());
    atlasHueColor.setHSL(113, 100, 100);
    buildConsoleCommands();

    glLoadIdentity();
    gluLookAt(0, -20 * blockSize, 0, 0, 0, 0, 0, 0, 1);
    ExtractFrustum();

    readAssetIndex();
    // The fonts' page 0 first (their glyphs live there); the motion-blur chunk goes in beside them.
    drainGlErrors();
    reloadFonts();
    // With motion blur off (every quality but 4) the chunk waits for the blur pass's first lookup:
    // page 0 then has room for the game's images, and no overflow page is needed.
    if (motionBlurEnabled())
        reserveMotionBlurChunk();

    alutInit(nullptr, nullptr);
    alGetError();
    setupListener();
    if (!soundExitRegistered) {
        std::atexit(shutdownSound);
        soundExitRegistered = true;
    }

    saveConfig();
    startupPhase = 2;
    if (vSync == 0 && swapControlSupported)
        setSwapInterval(0);

    enableCapability(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

void deinitializeEngine()
{
    closeAssetPack();
    // A quit during the intro reaches here before the fonts or meshes were ever loaded.
    cleanFonts();
    releaseMeshSet(&cubeMesh);
    releaseMeshSet(&geosphereMesh);
    releaseMeshSet(&particleMesh);
    deleteAtlasPages();

    // The next window pass starts with a fresh context: forget what the old one had set. The
    // loaded textures pointed into the deleted pages, so they stream in again when asked for;
    // a file caught mid-stream gives back its buffer and starts over, since the reopened pack
    // no longer stands where its seek left off.
    resetTextures();
    enabledCapabilities.clear();
    resetMeshSetCache();
    boundAtlasPage = -1;
    activeChunk = -1;
    motionBlurReserved = false;
}
