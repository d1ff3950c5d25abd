// The reference frame the drawing benchmarks measure against, in their own process and window:
// a fixed amount of drawing made with the kinds of GL call the game makes, so that every figure
// is a ratio to it taken in one run (a slower or faster machine moves both alike):
//   - a full-screen textured backdrop quad;
//   - 512 textured cubes (an 8x8x8 block of 32-unit cubes), one draw each;
//   - 100 bursts of 80 additive 8-unit sprites, each sprite one push, billboard matrix, scale
//     and draw;
//   - one full-screen copy into a 2048x2048 texture (the motion-blur copy).
// It keeps textures and geometry of its own, filtered linearly without mipmaps or anisotropy,
// and saves and restores every GL state it touches, so the game's state caches stay true.
// Header only: every benchmark source is a program of its own.
#pragma once
#include "timing.h"

#include "engine/config.h"
#include "engine/gl_extensions.h"
#include "engine/startup.h"
#include "engine/vecmath.h"
#include "engine/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

// The back buffer as a binary PPM, top row first.
inline void saveScreenshot(const std::string& path, int w, int h)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; row--)
        std::fwrite(&pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(w) * 3], 1,
                    static_cast<std::size_t>(w) * 3, f);
    std::fclose(f);
}

// The benchmarks' window at the settings a first run on a software rasteriser chooses
// (VisualQuality 1), with the engine started in it and no wait for the vertical blank.
struct BenchWindow {
    ApplicationInfo application;
    std::uint32_t keys[256] = {};
    GameWindow window;

    bool open(int width, int height)
    {
        screenWidth = width;
        screenHeight = height;
        fullscreen = 0;
        visualQuality = 1;
        applyVisualQuality();
        application.className = "TS";
        window = makeGameWindow(&application, keys, width, height, false);
        if (!registerWindowClass(&application) || !createWindow(&window)) {
            std::fprintf(stderr, "no window at %dx%d\n", width, height);
            return false;
        }
        initializeEngine();
        setSwapInterval(0);
        return true;
    }
    void close()
    {
        deinitializeEngine();
        destroyWindow(&window);
    }
};

// The drawing benchmarks' common options: --frames N and --size WxH.
struct DrawOptions {
    int frames;
    int width = 1920, height = 1080;
};

// Takes argv[i] (and its value, moving i past it) when it is one of the common options.
inline bool takeDrawOption(int argc, char** argv, int& i, DrawOptions& options)
{
    if (i + 1 >= argc)
        return false;
    if (!std::strcmp(argv[i], "--frames"))
        options.frames = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--size"))
        std::sscanf(argv[++i], "%dx%d", &options.width, &options.height);
    else
        return false;
    return true;
}

inline bool haveDisplay()
{
    if (std::getenv("DISPLAY"))
        return true;
    std::fprintf(stderr, "needs a display (run under xvfb-run)\n");
    return false;
}

struct ReferenceFrame {
    int width = 0, height = 0;
    GLuint backdrop = 0, block = 0, sprite = 0, copy = 0;
    std::vector<float> cube;       // 36 corners of (x, y, z, u, v)
    std::vector<float> quad;       // the 32-unit sprite quad, 4 corners
    std::vector<Vector3> sprites;  // 100 bursts x 80 sprites
};

constexpr int referenceBursts = 100;
constexpr int referenceSpritesPerBurst = 80;

namespace detail {

inline std::uint32_t nextRandom(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

inline float unitRandom(std::uint32_t& state)
{
    return static_cast<float>(nextRandom(state) & 0xffff) / 65535.0f;
}

inline GLuint makeTexture(int w, int h, GLenum format, const std::vector<unsigned char>* texels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, format, GL_UNSIGNED_BYTE, texels ? texels->data() : nullptr);
    return name;
}

// One face of the cube: two triangles, counter-clockwise seen from outside.
inline void addFace(std::vector<float>& out, Vector3 a, Vector3 b, Vector3 c, Vector3 d)
{
    const Vector3 corners[6] = {a, b, c, a, c, d};
    const float uv[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 6; i++)
        out.insert(out.end(), {corners[i].x, corners[i].y, corners[i].z, uv[i][0], uv[i][1]});
}

} // namespace detail

inline bool setupReferenceFrame(ReferenceFrame& frame, int width, int height)
{
    frame.width = width;
    frame.height = height;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);

    std::vector<unsigned char> texels(2048u * 1024u * 3u);
    for (int y = 0; y < 1024; y++)
        for (int x = 0; x < 2048; x++) {
            unsigned char* t = &texels[(static_cast<std::size_t>(y) * 2048u + static_cast<std::size_t>(x)) * 3u];
            t[0] = static_cast<unsigned char>(20 + (x * 60) / 2048);
            t[1] = static_cast<unsigned char>(30 + ((x ^ y) & 31));
            t[2] = static_cast<unsigned char>(60 + (y * 120) / 1024);
        }
    frame.backdrop = detail::makeTexture(2048, 1024, GL_RGB, &texels);

    texels.assign(256u * 256u * 3u, 0);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            const bool edge = x < 12 || y < 12 || x > 243 || y > 243;
            unsigned char* t = &texels[(static_cast<std::size_t>(y) * 256u + static_cast<std::size_t>(x)) * 3u];
            t[0] = edge ? 250 : static_cast<unsigned char>(160 + (x + y) / 8);
            t[1] = edge ? 240 : 60;
            t[2] = edge ? 230 : 50;
        }
    frame.block = detail::makeTexture(256, 256, GL_RGB, &texels);

    texels.assign(128u * 128u * 4u, 0);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) {
            const float dx = (static_cast<float>(x) - 63.5f) / 64.0f, dy = (static_cast<float>(y) - 63.5f) / 64.0f;
            const float glow = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            unsigned char* t = &texels[(static_cast<std::size_t>(y) * 128u + static_cast<std::size_t>(x)) * 4u];
            t[0] = 255;
            t[1] = static_cast<unsigned char>(120 + 135 * glow);
            t[2] = 60;
            t[3] = static_cast<unsigned char>(255 * glow * glow);
        }
    frame.sprite = detail::makeTexture(128, 128, GL_RGBA, &texels);
    frame.copy = detail::makeTexture(2048, 2048, GL_RGBA, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));

    const float s = 16.0f;
    const Vector3 p[8] = {Vector3(-s, -s, -s), Vector3(s, -s, -s), Vector3(s, s, -s), Vector3(-s, s, -s),
                          Vector3(-s, -s, s),  Vector3(s, -s, s),  Vector3(s, s, s),  Vector3(-s, s, s)};
    frame.cube.clear();
    detail::addFace(frame.cube, p[0], p[1], p[5], p[4]);   // -y, toward the eye
    detail::addFace(frame.cube, p[1], p[2], p[6], p[5]);   // +x
    detail::addFace(frame.cube, p[2], p[3], p[7], p[6]);   // +y
    detail::addFace(frame.cube, p[3], p[0], p[4], p[7]);   // -x
    detail::addFace(frame.cube, p[4], p[5], p[6], p[7]);   // +z
    detail::addFace(frame.cube, p[3], p[2], p[1], p[0]);   // -z
    frame.quad = {-16, -16, 0, 0, 0, 16, -16, 0, 1, 0, 16, 16, 0, 1, 1, -16, 16, 0, 0, 1};

    // Bursts in flight over and around the block, each a shell of sprites.
    std::uint32_t seed = 12345u;
    frame.sprites.clear();
    for (int b = 0; b < referenceBursts; b++) {
        const Vector3 centre((detail::unitRandom(seed) - 0.5f) * 420.0f, (detail::unitRandom(seed) - 0.5f) * 200.0f,
                             (detail::unitRandom(seed) - 0.5f) * 300.0f);
        const float radius = 20.0f + 40.0f * detail::unitRandom(seed);
        for (int i = 0; i < referenceSpritesPerBurst; i++) {
            const Vector3 d(detail::unitRandom(seed) - 0.5f, detail::unitRandom(seed) - 0.5f,
                            detail::unitRandom(seed) - 0.5f);
            frame.sprites.push_back(centre + normalize(d) * radius);
        }
    }
    return frame.backdrop && frame.block && frame.sprite && frame.copy;
}

inline void drawReferenceFrame(const ReferenceFrame& frame)
{
    const float w = static_cast<float>(frame.width), h = static_cast<float>(frame.height);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glViewport(0, 0, frame.width, frame.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glBindTexture(GL_TEXTURE_2D, frame.backdrop);
    glColor4ub(255, 255, 255, 255);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glTexCoord2f(0, 0);
    glVertex2f(0, h);
    glTexCoord2f(1, 0);
    glVertex2f(w, h);
    glTexCoord2f(1, 1);
    glVertex2f(w, 0);
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(w) / static_cast<double>(h), 32.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vector3 eye(0, -640, 0), up(0, 0, 1);
    gluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, up.x, up.y, up.z);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    glBindTexture(GL_TEXTURE_2D, frame.block);
    glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), frame.cube.data());
    glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), frame.cube.data() + 3);
    for (int x = 0; x < 8; x++)
        for (int y = 0; y < 8; y++)
            for (int z = 0; z < 8; z++) {
                glPushMatrix();
                glTranslatef((static_cast<float>(x) - 3.5f) * 32.0f, (static_cast<float>(y) - 3.5f) * 32.0f,
                             (static_cast<float>(z) - 3.5f) * 32.0f);
                glScalef(1.02f, 1.02f, 1.02f);
                glDrawArrays(GL_TRIANGLES, 0, 36);
                glPopMatrix();
            }

    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, frame.sprite);
    glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), frame.quad.data());
    glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), frame.quad.data() + 3);
    for (int b = 0; b < referenceBursts; b++) {
        glColor4f(1, 1, 1, 1.0f - static_cast<float>(b % 10) / 12.0f);
        for (int i = 0; i < referenceSpritesPerBurst; i++) {
            const Matrix4 m = billboardMatrix(frame.sprites[static_cast<std::size_t>(b * referenceSpritesPerBurst + i)],
                                              eye, up);
            glPushMatrix();
            glMultMatrixf(m.m);
            glScalef(0.25f, 0.25f, 0.25f);
            glDrawArrays(GL_QUADS, 0, 4);
            glPopMatrix();
        }
    }
    glDepthMask(GL_TRUE);

    glBindTexture(GL_TEXTURE_2D, frame.copy);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, std::min(frame.width, 2048), std::min(frame.height, 2048));

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

inline void releaseReferenceFrame(ReferenceFrame& frame)
{
    const GLuint names[4] = {frame.backdrop, frame.block, frame.sprite, frame.copy};
    glDeleteTextures(4, names);
    frame = ReferenceFrame();
}

// Times the reference frame and a scene frame by turns, each ended by the swap and a finish, so
// that both see the same machine at the same moment: the medians of each in ms, and the median of
// the ratios of neighbouring pairs (what a machine busy with other work disturbs least).
template <class DrawScene, class Swap>
double timeBesideReference(const ReferenceFrame& frame, int frames, DrawScene drawScene, Swap swap,
                           double& referenceMs, double& sceneMs)
{
    std::vector<double> reference, scene, ratios;
    // One of each first: the driver compiles its state variants on first use.
    drawReferenceFrame(frame);
    swap();
    drawScene();
    swap();
    glFinish();
    for (int i = 0; i < frames; i++) {
        double start = nowMs();
        drawReferenceFrame(frame);
        swap();
        glFinish();
        reference.push_back(nowMs() - start);
        start = nowMs();
        drawScene();
        swap();
        glFinish();
        scene.push_back(nowMs() - start);
        ratios.push_back(scene.back() / reference.back());
    }
    referenceMs = median(reference);
    sceneMs = median(scene);
    return median(ratios);
}

} // namespace bench
