// Start-up and shut-down against the real pack in a real window (Xvfb + Mesa), with the cube
// mesh and a particle burst drawn and read back.
#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/gl_extensions.h"
#include "engine/log.h"
#include "engine/memtrack.h"
#include "engine/meshes.h"
#include "engine/picking.h"
#include "engine/polyparticles.h"
#include "engine/sound.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "platform/settings_store.h"
#include "game_window_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const packPath = TS_BINARY_DIR "/run/data/assets.ass";

std::vector<std::string> readLines(const char* path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int findLine(const std::vector<std::string>& lines, const std::string& prefix, int from = 0)
{
    for (int i = from; i < static_cast<int>(lines.size()); i++)
        if (lines[static_cast<std::size_t>(i)].compare(0, prefix.size(), prefix) == 0)
            return i;
    return -1;
}

// A test's own folder: its working directory and its settings and data, put away when it ends.
struct TestFolder {
    ScratchFolder folder;
    ScopedVariable settings{"XDG_CONFIG_HOME", folder.path()}, data{"XDG_DATA_HOME", folder.path()};
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        std::FILE* pack = std::fopen(packPath, "rb");
        if (!pack)
            GTEST_SKIP() << "no asset pack at " << packPath;
        std::fclose(pack);
        testFolder.emplace();
        workDir = testFolder->folder.path();
        ASSERT_FALSE(workDir.empty());
        assetPackPath = packPath;
        screenWidth = 640;
        screenHeight = 480;
        fullscreen = 0;
        window = makeGameWindow(&application, keys, screenWidth, screenHeight, false);
        application.className = "TS";
        ASSERT_TRUE(registerWindowClass(&application)) << windowSystemError();
        ASSERT_TRUE(createWindow(&window)) << windowSystemError();
        opened = true;
    }

    void TearDown() override
    {
        // A test that stopped at an assertion has not shut the engine down; the game's exit
        // handler closes the sound device. The tests after find neither open.
        if (opened) {
            deinitializeEngine();
            shutdownSound();
            destroyWindow(&window);
        }
        opened = false;
        testFolder.reset();
    }

    // Sum of the colour channels of the frame's pixels, read back from the back buffer.
    // The cube mesh, untextured and white, from where a level starts: 640 units out on -y, z up.
    void drawCubeFromOpeningView()
    {
        disableCapability(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        clearScreen(0, 0, 0, 1);
        camera.set(0, -20 * blockSize, 0, 0, 0, 0, 0, 0, 1);
        applyCamera(0.0f);
        drawMeshSet(&cubeMesh);
    }

    long frameBrightness(int x, int y, int w, int h)
    {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(w * h * 4));
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        long sum = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
        return sum;
    }

    std::optional<TestFolder> testFolder;
    std::string workDir;
    ApplicationInfo application;
    GameWindow window;
    std::uint32_t keys[256] = {};
    bool opened = false;
};

TEST_F(StartupTest, StartUpWritesTheReportInOrderAndShutDownReleasesEverything)
{
    glBindTexture(0x7FFF, 0);   // an error left pending must not pass for the atlas running out of memory
    powerupBlockSpin = 90;       // left turned by an earlier window pass
    initializeEngine();
    EXPECT_EQ(startupPhase, 2);
    EXPECT_EQ(powerupBlockSpin, 0);

    const std::vector<std::string> log = readLines("console.log");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "Initializing");
    int at = 0;
    for (const char* prefix : {"OS: ", "CPU: ", "RAM: ", "OpenGL: ", "Video Card: ", "Manufacturer: ",
                               "Opening AssPack", "Indexed asset ", "AssPack headers loaded"}) {
        const int found = findLine(log, prefix, at);
        EXPECT_GT(found, at - 1) << prefix;
        if (found >= 0)
            at = found;
    }
    EXPECT_EQ(findLine(log, "RAM: 0"), -1);   // the machine's memory is known
    EXPECT_EQ(log[static_cast<std::size_t>(findLine(log, "OpenGL: "))], "OpenGL: " + glVersion);
    EXPECT_FALSE(assetIndex.empty());

    EXPECT_TRUE(motionBlurReserved);
    const int blur = findTextureIndex("motionblur");
    ASSERT_GE(blur, 0);
    EXPECT_EQ(textures[static_cast<std::size_t>(blur)].width, 640);
    ASSERT_FALSE(atlasPages.empty());
    EXPECT_EQ(atlasPageSizes[0], validAtlasSize(atlasSize, maxTextureSize));   // not halved
    EXPECT_TRUE(mediumFont.initialised);
    EXPECT_TRUE(pointInFrustum(0, 0, 0));         // the game view was extracted
    EXPECT_FALSE(pointInFrustum(0, -700, 0));
    EXPECT_TRUE(isCapabilityEnabled(GL_CULL_FACE));

    // A quit before the intro loaded any mesh or font: shut-down copes and leaks nothing.
    deinitializeEngine();
    EXPECT_EQ(assetPackFile, nullptr);
    EXPECT_TRUE(atlasPages.empty());
    EXPECT_TRUE(enabledCapabilities.empty());
    EXPECT_FALSE(mediumFont.initialised);
    EXPECT_TRUE(allocations.empty()) << allocations.size() << " tracked blocks still alive";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(StartupTest, ScreenLargerThanAnAtlasPageLeavesMotionBlurOff)
{
    const int savedAtlasSize = atlasSize;
    atlasSize = minAtlasSize;   // smaller than the 640 x 480 screen
    glGetError();
    initializeEngine();
    atlasSize = savedAtlasSize;
    EXPECT_FALSE(motionBlurReserved);
    EXPECT_EQ(findTextureIndex("motionblur"), textureNotLoaded);
    EXPECT_EQ(atlasPages.size(), 1u);   // page 0 for the fonts, no endless pages
    EXPECT_NE(findLine(readLines("console.log"), "screen larger than an atlas page"), -1);
    EXPECT_EQ(startupPhase, 2);
    deinitializeEngine();
}

// A settings file the load could not read (here a link to a folder, which even root cannot read)
// outlasts the start-up's save, and the log the start-up empties says why once more.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadOutlastsTheStartUp)
{
    const std::string folder = workDir + "/Quorvane/Tessarine", path = settingsPath(), target = workDir + "/elsewhere";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "' '" + target + "'").c_str()), 0);
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    loadConfig();
    initializeEngine();
    char link[4096] = {};
    EXPECT_EQ(readlink(path.c_str(), link, sizeof link - 1), static_cast<ssize_t>(target.size()));
    EXPECT_EQ(link, target);
    EXPECT_NE(findLine(readLines("console.log"), "Settings not read (" + path + ": Is a directory)"), -1);
    deinitializeEngine();
    unlink(path.c_str());
    loadConfig();   // the later tests start on no settings again
}

// Textures stream in all through the intro, so a quit or a new window pass finds one half read.
TEST_F(StartupTest, ShutDownMidStreamFreesTheBufferAndTheNextPassStreamsAfresh)
{
    static const std::string name = "whiteparticle.tga";
    auto stream = [](bool (*until)()) {
        getTextureIndex(name);
        for (int frame = 0; frame < 5000 && !until(); frame++)
            updateStreamingTextures(16);
        return until();
    };
    auto loaded = [] { return findTextureIndex(name) != textureNotLoaded; };
    // The texels of the loaded image, read back from its atlas page.
    auto texels = [] {
        const TextureRecord& t = textures[static_cast<std::size_t>(findTextureIndex(name))];
        const int page = atlasPageSizes[static_cast<std::size_t>(t.atlasPage)];
        std::vector<unsigned char> all(static_cast<std::size_t>(page * page * 4));
        glBindTexture(GL_TEXTURE_2D, atlasPages[static_cast<std::size_t>(t.atlasPage)]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
        boundAtlasPage = -1;
        std::vector<unsigned char> chunk;
        for (int y = 0; y < static_cast<int>(t.height); y++) {
            const auto row = all.begin() + ((static_cast<long>(t.atlasY) + y) * page + static_cast<long>(t.atlasX)) * 4;
            chunk.insert(chunk.end(), row, row + static_cast<long>(t.width) * 4);
        }
        return chunk;
    };

    initializeEngine();
    const bool reference = stream(loaded);
    const std::vector<unsigned char> expected = reference ? texels() : std::vector<unsigned char>();
    deinitializeEngine();
    ASSERT_TRUE(reference) << "the texture never streamed in";
    ASSERT_FALSE(expected.empty());

    // Header read, pixels not: the next pass must not read them from wherever the reopened
    // pack happens to stand.
    initializeEngine();
    const bool header = stream([] { return textureStream.headerLoaded && textureStream.bytesRead == 0; });
    deinitializeEngine();
    EXPECT_TRUE(header);
    initializeEngine();
    const bool again = stream(loaded);
    const std::vector<unsigned char> after = again ? texels() : std::vector<unsigned char>();
    deinitializeEngine();
    EXPECT_TRUE(again) << "the texture never loaded after the window pass";
    EXPECT_TRUE(after == expected) << "the texture came out damaged after the window pass";

    // Read in full, not yet placed: a quit now must give the buffer back.
    initializeEngine();
    const bool read = stream([] { return textureStream.pixels != nullptr; });
    deinitializeEngine();
    EXPECT_TRUE(read);
    EXPECT_TRUE(allocations.empty()) << allocations.size() << " tracked blocks still alive";
}

// Every image of the pack streams in, read over as many frames as it takes, and lands in the atlas
// texel for texel as the file holds it; each backdrop takes the previous one's place.
TEST_F(StartupTest, StreamingYieldsEveryTextureOfThePack)
{
    smallTextures = 0;   // an earlier test's small pages may have set it
    initializeEngine();
    std::vector<std::string> names;
    for (const AssetIndexEntry& entry : assetIndex)
        if (entry.name.rfind("textures\\", 0) == 0 && entry.name.find('\\', 9) == std::string::npos)
            names.push_back(entry.name.substr(9));
    ASSERT_GT(names.size(), 100u);
    for (const std::string& name : names)
        getTextureIndex(name);
    for (int frame = 0; frame < 200000 && !textureQueue.empty(); frame++)
        updateStreamingTextures(16);
    ASSERT_TRUE(textureQueue.empty());

    std::vector<std::vector<unsigned char>> pages(atlasPages.size());
    std::string lastBackdrop;
    int checked = 0;
    for (const std::string& name : names) {
        const bool backdrop = name.find("background") != std::string::npos;
        const int index = findTextureIndex(name);
        if (backdrop) {
            lastBackdrop = name;
            continue;   // checked below: only the last one stays
        }
        ASSERT_NE(index, textureNotLoaded) << name;
        std::vector<unsigned char> file;
        ASSERT_TRUE(readAssetBytes("textures\\" + name, file));
        const TextureRecord& t = textures[static_cast<std::size_t>(index)];
        const int w = file[12] | file[13] << 8, h = file[14] | file[15] << 8, bytes = file[16] / 8;
        ASSERT_EQ(t.width, w) << name;
        ASSERT_EQ(t.height, h) << name;
        const std::size_t page = static_cast<std::size_t>(t.atlasPage);
        const int edge = atlasPageSizes[page];
        if (pages[page].empty()) {
            pages[page].resize(static_cast<std::size_t>(edge) * static_cast<std::size_t>(edge) * 4);
            glBindTexture(GL_TEXTURE_2D, atlasPages[page]);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pages[page].data());
            boundAtlasPage = -1;
        }
        int wrong = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const unsigned char* in = &file[18 + file[0] + static_cast<std::size_t>((y * w + x) * bytes)];
                const unsigned char* out = &pages[page][(static_cast<std::size_t>(t.atlasY + y) * edge +
                                                         static_cast<std::size_t>(t.atlasX + x)) * 4];
                wrong += out[0] != in[2] || out[1] != in[1] || out[2] != in[0] || out[3] != (bytes == 4 ? in[3] : 255);
            }
        EXPECT_EQ(wrong, 0) << name;
        ++checked;
    }
    EXPECT_EQ(checked + 10, static_cast<int>(names.size()));
    ASSERT_FALSE(lastBackdrop.empty());
    for (const std::string& name : names) {
        if (name.find("background") != std::string::npos) {
            EXPECT_EQ(findTextureIndex(name) != textureNotLoaded, name == lastBackdrop) << name;
        }
    }
    deinitializeEngine();
}

// While motion blur is off the screen-sized chunk is not made at start-up; the blur pass's first
// lookup makes it, with no trip through the streamer.
TEST_F(StartupTest, MotionBlurChunkWaitsForTheBlurPassWhileBlurIsOff)
{
    motionBlur = 0;
    initializeEngine();
    EXPECT_FALSE(motionBlurReserved);
    EXPECT_EQ(findTextureIndex("motionblur"), textureNotLoaded);
    const int blur = getTextureIndex("motionblur");
    motionBlur = 1;
    ASSERT_GE(blur, 0);
    EXPECT_TRUE(motionBlurReserved);
    EXPECT_EQ(textures[static_cast<std::size_t>(blur)].width, 640);
    EXPECT_EQ(textures[static_cast<std::size_t>(blur)].atlasPage, 0);
    EXPECT_TRUE(textureQueue.empty());
    EXPECT_EQ(getTextureIndex("motionblur"), blur);
    deinitializeEngine();
}

TEST_F(StartupTest, CubeFacesShowFromOutsideAndCullFromInside)
{
    initializeEngine();
    loadMesh(&cubeMesh, "cube.mbm");
    ASSERT_EQ(cubeMesh.meshCount, 1);
    EXPECT_EQ(cubeMesh.meshes[0].faceCount, 12);
    EXPECT_EQ(vboSupported, cubeMesh.meshes[0].vertexBuffer != 0);
    EXPECT_EQ(vboSupported, cubeMesh.meshes[0].interleaved.empty());

    drawCubeFromOpeningView();
    // The cube is 32 units at 640 units with a 45 degree view: a square about 37 px across.
    EXPECT_GT(frameBrightness(310, 230, 20, 20), 20L * 20 * 3 * 200);
    EXPECT_EQ(frameBrightness(0, 0, 100, 100), 0);

    // From the centre every face turns its back and is culled.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(100, 640.0 / 480, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    clearScreen(0, 0, 0, 1);
    gluLookAt(0, 0, 0, 0, 1, 0, 0, 0, 1);
    drawMeshSet(&cubeMesh);
    EXPECT_EQ(frameBrightness(0, 0, 640, 480), 0);
    disableCapability(GL_CULL_FACE);   // without culling the inside shows
    drawMeshSet(&cubeMesh);
    EXPECT_GT(frameBrightness(0, 0, 640, 480), 640L * 480 * 3 * 200);
    enableCapability(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    deinitializeEngine();
    EXPECT_TRUE(cubeMesh.meshes.empty());
    EXPECT_TRUE(allocations.empty());
}

// The matrices picking and the frustum are tested with are the ones GLU builds.
TEST_F(StartupTest, ComputedMatricesMatchGlu)
{
    const Vector3 eye(-150, -640, 220), up(0.1f, 0, 1);
    double ours[16], glu[16];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, up.x, up.y, up.z);
    glGetDoublev(GL_MODELVIEW_MATRIX, glu);
    lookAtMatrix(eye, Vector3(0, 0, 0), up, ours);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(ours[i], glu[i], 1e-3) << "look-at " << i;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 640.0 / 480, 32, 2000);
    glGetDoublev(GL_PROJECTION_MATRIX, glu);
    perspectiveMatrix(45, 640.0 / 480, 32, 2000, ours);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(ours[i], glu[i], 1e-5) << "perspective " << i;
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(StartupTest, UnmappableVertexBufferStillUploads)
{
    initializeEngine();
    if (!vboSupported) {
        deinitializeEngine();
        GTEST_SKIP() << "no vertex buffers";
    }
    const PFNGLMAPBUFFERARBPROC realMap = glMapBufferARB;
    glMapBufferARB = [](GLenum, GLenum) -> void* { return nullptr; };
    loadMesh(&cubeMesh, "cube.mbm");
    glMapBufferARB = realMap;
    ASSERT_EQ(cubeMesh.meshCount, 1);
    EXPECT_NE(cubeMesh.meshes[0].vertexBuffer, 0u);

    drawCubeFromOpeningView();
    EXPECT_GT(frameBrightness(310, 230, 20, 20), 20L * 20 * 3 * 200);
    EXPECT_NE(findLine(readLines("console.log"), "vertex buffer could not be mapped"), -1);
    deinitializeEngine();
}

TEST_F(StartupTest, ParticleBurstDrawsCameraFacingSprites)
{
    initializeEngine();
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    ASSERT_GT(geosphereMesh.meshCount, 0);
    PolyparticleSystem proto;
    loadPolyparticleMesh(geosphereMesh, &proto);
    EXPECT_EQ(static_cast<int>(proto.particles.size()), geosphereMesh.meshes[0].faceCount);

    int index = getTextureIndex("whiteparticle.tga");
    for (int frame = 0; frame < 5000 && index == textureNotLoaded; frame++) {
        updateStreamingTextures(16);
        index = getTextureIndex("whiteparticle.tga");
    }
    ASSERT_NE(index, textureNotLoaded) << "the sprite texture never streamed in";

    PolyparticleSystem& burst = particleSystems[0];
    loadPolyparticle(Vector3(0, 0, 0), &proto, "whiteparticle.tga", &burst);
    for (Polyparticle& p : burst.particles) {   // two steps of flight, so streaks show
        p.previousPosition = p.velocity;
        p.position = p.velocity * 2;
    }
    burst.age = 100;

    clearScreen(0, 0, 0, 1);
    camera.set(0, -20 * blockSize, 0, 0, 0, 0, 0, 0, 1);
    applyCamera(0.0f);
    // Sprites face the eye with their front side: they show with back faces culled.
    EXPECT_TRUE(isCapabilityEnabled(GL_CULL_FACE));
    glDepthMask(GL_FALSE);
    particleSpritesDrawn = 0;
    particleDeg = 2.5f;
    renderPolyparticleSprite(&burst, false);
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    std::vector<Vector3> points;
    polyparticleSpritePoints(burst, particleDeg, &points);
    EXPECT_EQ(particleSpritesDrawn, static_cast<int>(points.size()));
    EXPECT_GE(peakParticleSprites, particleSpritesDrawn);
    EXPECT_GT(frameBrightness(220, 140, 200, 200), 0);
    particleDeg = 1.0f;
    burst.active = 0;
    deinitializeEngine();
}

// The batched sprites against the one-by-one path on the same bursts: the same picture within
// rounding (a corner computed on the CPU may land a hair from where the matrices put it, so an
// edge pixel can differ by a little) and the same counts.
TEST_F(StartupTest, BatchedSpritesDrawTheOneByOnePicture)
{
    initializeEngine();
    loadMesh(&geosphereMesh, "geosphere.mbm");
    buildParticleMesh(&particleMesh);
    PolyparticleSystem proto;
    loadPolyparticleMesh(geosphereMesh, &proto);
    ASSERT_FALSE(proto.particles.empty());
    const char* const names[] = {"whiteparticle.tga", "redparticle.tga"};
    for (int frame = 0; frame < 5000 && !(isTextureReady(names[0]) && isTextureReady(names[1])); frame++)
        updateStreamingTextures(16);
    ASSERT_NE(findTextureIndex(names[1]), textureNotLoaded);

    for (int i = 0; i < 3; i++) {
        PolyparticleSystem& burst = particleSystems[i];
        loadPolyparticle(Vector3(-120.0f + 120.0f * static_cast<float>(i), 0, 40.0f * static_cast<float>(i - 1)),
                         &proto, names[i % 2], &burst);
        const float flight = 1.0f + static_cast<float>(i);
        for (Polyparticle& p : burst.particles) {
            p.previousPosition = p.velocity * flight;
            p.position = p.velocity * (flight + 1);
        }
        burst.age = 150.0f * static_cast<float>(i);
    }
    camera.set(-90, -20 * blockSize, 120, 0, 0, 0, 0, 0, 1);
    const int w = 640, h = 480;
    auto draw = [&](bool batched, bool levelStartView, std::vector<unsigned char>* pixels, int* sprites) {
        clearScreen(0, 0, 0, 1);
        applyCamera(0.0f);
        glDepthMask(GL_FALSE);
        particleSpritesDrawn = 0;
        for (int i = 0; i < 3; i++) {
            if (batched)
                renderPolyparticleSprite(&particleSystems[i], levelStartView);
            else
                renderPolyparticleSpriteOneByOne(&particleSystems[i], levelStartView);
        }
        glDepthMask(GL_TRUE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        *sprites = particleSpritesDrawn;
        pixels->assign(static_cast<std::size_t>(w * h * 4), 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels->data());
    };
    for (bool levelStartView : {false, true}) {
        std::vector<unsigned char> single, batched;
        int singleCount = 0, batchedCount = 0;
        peakParticleSprites = 0;
        draw(false, levelStartView, &single, &singleCount);
        const int peak = peakParticleSprites;
        peakParticleSprites = 0;
        draw(true, levelStartView, &batched, &batchedCount);
        EXPECT_EQ(batchedCount, singleCount);
        EXPECT_EQ(peakParticleSprites, peak);
        long lit = 0, off = 0;
        int worst = 0;
        for (std::size_t i = 0; i < single.size(); i++) {
            const int d = std::abs(static_cast<int>(single[i]) - static_cast<int>(batched[i]));
            worst = std::max(worst, d);
            off += d > 2;
            lit += i % 4 != 3 && single[i] > 0;
        }
        EXPECT_GT(lit, 20000) << "the bursts must cover a good part of the frame";
        EXPECT_LE(off, lit / 1000) << "pixels off by more than rounding; worst " << worst;
    }
    for (int i = 0; i < 3; i++)
        particleSystems[i].active = 0;
    deinitializeEngine();
}

} // namespace
