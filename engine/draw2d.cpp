#include "engine/draw2d.h"

#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/draw_recorder.h"
#include "engine/gl_extensions.h"
#include "engine/meshes.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/window.h"

#include <algorithm>
#include <cstring>
#include <utility>

std::vector<GLenum> enabledCapabilities;

// Whether culling was on at each pushOrtho, for the matching popOrtho.
static std::vector<bool> orthoCullStack;

// The client arrays point at this mesh's data (by its buffer or its memory); none at start.
static const Mesh* lastDrawnMesh = nullptr;
static GLuint lastDrawnBuffer = 0;
static const float* lastDrawnData = nullptr;

bool anchorRect(float x, float y, float w, float h, int anchor, float& left, float& top, float& right,
                float& bottom)
{
    switch (anchor) {
    case 0: left = x - w / 2; right = x + w / 2; top = y - h / 2; bottom = y + h / 2; return true;
    case 1: left = x; right = x + w; top = y; bottom = y + h; return true;
    case 2: left = x - w / 2; right = x + w / 2; top = y - h; bottom = y; return true;
    case 3: left = x; right = x + w; top = y - h; bottom = y; return true;
    case 4: left = x - w; right = x; top = y - h; bottom = y; return true;
    case 5: left = x; right = x + w; top = y - h / 2; bottom = y + h / 2; return true;
    case 7: left = x - w / 2; right = x + w / 2; top = y; bottom = y + h; return true;
    default: return false;
    }
}

unsigned char alphaByte(float alpha, float fade)
{
    fade = std::clamp(fade, 0.0f, 1.0f);
    const float value = std::clamp(alpha * fade, 0.0f, 255.0f);
    return static_cast<unsigned char>(static_cast<int>(value));
}

static float fadeOf(int index)
{
    return textures[index].fadeIn / 250.0f;
}

static void emitQuad(float left, float top, float right, float bottom, Vector2 tl, Vector2 bl, Vector2 br,
                     Vector2 tr)
{
    glBegin(GL_QUADS);
    glTexCoord2f(tr.x, tr.y);
    glVertex2f(right, top);
    glTexCoord2f(br.x, br.y);
    glVertex2f(right, bottom);
    glTexCoord2f(bl.x, bl.y);
    glVertex2f(left, bottom);
    glTexCoord2f(tl.x, tl.y);
    glVertex2f(left, top);
    glEnd();
}

// What the test recorder keeps of a quad instead of drawing it; the callers add their own fields.
static DrawCall quadCall(DrawOp op, const std::string& texture, float x, float y, float w, float h, int anchor,
                         float alpha)
{
    DrawCall call;
    call.op = op;
    call.text = texture;
    call.x = x, call.y = y, call.w = w, call.h = h;
    call.anchor = anchor;
    call.alpha = alpha;
    return call;
}

// The recorder's entry for a call that carries nothing but its kind.
static void recordOp(DrawOp op)
{
    DrawCall call;
    call.op = op;
    recordDraw(call);
}

// The colour of the untextured quads, 0..255 each.
static void setColourBytes(float r, float g, float b, float a)
{
    glColor4ub(alphaByte(r, 1.0f), alphaByte(g, 1.0f), alphaByte(b, 1.0f), alphaByte(a, 1.0f));
}

void Render2D(Vector2 position, Vector2 size, int anchor, std::string texture, float alpha)
{
    PROFILE_SCOPE("Render2D");
    if (drawRecorder) {
        recordDraw(quadCall(DrawOp::Quad, texture, position.x, position.y, size.x, size.y, anchor, alpha));
        return;
    }
    const bool wholePage = texture == "atlas";
    int index = -1;
    if (!texture.empty() && !wholePage) {
        index = getTextureIndex(texture);
        if (index == textureNotLoaded) return;
    }
    float left, top, right, bottom;
    if (!anchorRect(position.x, position.y, size.x, size.y, anchor, left, top, right, bottom)) return;

    if (texture.empty()) disableCapability(GL_TEXTURE_2D);
    else enableCapability(GL_TEXTURE_2D);

    if (wholePage) {
        glColor4ub(255, 255, 255, alpha == -1.0f ? 255 : alphaByte(alpha, 1.0f));
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        activeChunk = -1;
    } else if (index >= 0) {
        if (alpha != -1.0f) glColor4ub(255, 255, 255, alphaByte(alpha, fadeOf(index)));
        activateAtlasChunk(index);
    }
    emitQuad(left, top, right, bottom, Vector2(0, 1), Vector2(0, 0), Vector2(1, 0), Vector2(1, 1));
}

void Render2D(float x, float y, float w, float h, int anchor, std::string texture, float alpha)
{
    Render2D(Vector2(x, y), Vector2(w, h), anchor, std::move(texture), alpha);
}

void Render2DUV(Vector2 position, Vector2 size, int anchor, std::string texture, float alpha, Vector2 uv0,
                Vector2 uv1, Vector2 uv2, Vector2 uv3)
{
    PROFILE_SCOPE("Render2DUV");
    if (drawRecorder) {
        DrawCall call = quadCall(DrawOp::QuadUV, texture, position.x, position.y, size.x, size.y, anchor, alpha);
        call.uv[0] = uv0, call.uv[1] = uv1, call.uv[2] = uv2, call.uv[3] = uv3;
        recordDraw(call);
        return;
    }
    const int index = getTextureIndex(texture);
    if (index < 0) return;
    float left, top, right, bottom;
    if (!anchorRect(position.x, position.y, size.x, size.y, anchor, left, top, right, bottom)) return;
    enableCapability(GL_TEXTURE_2D);
    if (alpha != -1.0f) glColor4ub(255, 255, 255, alphaByte(alpha, fadeOf(index)));
    activateAtlasChunk(index);
    emitQuad(left, top, right, bottom, uv0, uv1, uv2, uv3);
}

void Render2DUV(float x, float y, float w, float h, int anchor, std::string texture, float alpha, Vector2 uv0,
                Vector2 uv1, Vector2 uv2, Vector2 uv3)
{
    Render2DUV(Vector2(x, y), Vector2(w, h), anchor, std::move(texture), alpha, uv0, uv1, uv2, uv3);
}

void drawColourQuad(float x, float y, float w, float h, int anchor, float r, float g, float b, float a)
{
    if (drawRecorder) {
        DrawCall call = quadCall(DrawOp::ColourQuad, "", x, y, w, h, anchor, a);
        call.r = r, call.g = g, call.b = b;
        recordDraw(call);
        return;
    }
    setColourBytes(r, g, b, a);
    Render2D(x, y, w, h, anchor, "", -1.0f);
}

void drawLineLoop(float x, float y, float w, float h, int anchor, float r, float g, float b, float a, float lineWidth)
{
    if (drawRecorder) {
        DrawCall call = quadCall(DrawOp::LineLoop, "", x, y, w, h, anchor, a);
        call.r = r, call.g = g, call.b = b;
        call.scale = lineWidth;
        recordDraw(call);
        return;
    }
    float left, top, right, bottom;
    if (!anchorRect(x, y, w, h, anchor, left, top, right, bottom)) return;
    disableCapability(GL_TEXTURE_2D);
    glLineWidth(lineWidth);
    setColourBytes(r, g, b, a);
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glEnd();
    glLineWidth(1.0f);
}

ScreenRect makeRect(float x, float y, float w, float h, int anchor)
{
    ScreenRect rect;
    if (anchor != 0 && anchor != 7) return rect;
    float left, top, right, bottom;
    anchorRect(x, y, w, h, anchor, left, top, right, bottom);
    rect.left = static_cast<int>(left);
    rect.top = static_cast<int>(top);
    rect.right = static_cast<int>(right);
    rect.bottom = static_cast<int>(bottom);
    return rect;
}

bool isMouseInRect(int left, int top, int right, int bottom)
{
    return mouseX > left && mouseX < right && mouseY > top && mouseY < bottom;
}

bool isCapabilityEnabled(GLenum cap)
{
    return std::find(enabledCapabilities.begin(), enabledCapabilities.end(), cap) != enabledCapabilities.end();
}

void enableCapability(GLenum cap)
{
    if (isCapabilityEnabled(cap)) return;
    glEnable(cap);
    enabledCapabilities.push_back(cap);
}

void disableCapability(GLenum cap)
{
    auto it = std::find(enabledCapabilities.begin(), enabledCapabilities.end(), cap);
    if (it == enabledCapabilities.end()) return;
    glDisable(cap);
    enabledCapabilities.erase(it);
}

void pushOrtho()
{
    if (drawRecorder) {
        recordOp(DrawOp::PushOrtho);
        return;
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, screenWidth, screenHeight, 0, -100, 100);
    disableCapability(GL_DEPTH_TEST);
    // The y-down projection turns every 2D quad clockwise, which back-face culling would drop.
    orthoCullStack.push_back(isCapabilityEnabled(GL_CULL_FACE));
    disableCapability(GL_CULL_FACE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void popOrtho()
{
    if (drawRecorder) {
        recordOp(DrawOp::PopOrtho);
        return;
    }
    enableCapability(GL_DEPTH_TEST);
    if (!orthoCullStack.empty()) {
        if (orthoCullStack.back()) enableCapability(GL_CULL_FACE);
        orthoCullStack.pop_back();
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void clearScreen(float r, float g, float b, float a)
{
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void applyCamera(float massRatio)
{
    camera.look(massRatio);
}

void resetMeshSetCache()
{
    lastDrawnMesh = nullptr;
    lastDrawnBuffer = 0;
    lastDrawnData = nullptr;
}

void drawMeshSet(MeshSet* set)
{
    if (drawRecorder) {
        recordOp(DrawOp::Mesh);
        return;
    }
    if (!set) return;
    const int count = std::min(set->meshCount, static_cast<int>(set->meshes.size()));
    for (int i = 0; i < count; ++i) {
        const Mesh& mesh = set->meshes[i];
        const bool useBuffer = vboSupported && glBindBufferARB && mesh.vertexBuffer != 0;
        const int corners = set->drawAsQuads ? 4 : 3;
        const std::size_t needed = static_cast<std::size_t>(std::max(mesh.faceCount, 0)) * corners * 5;
        if (!useBuffer && mesh.interleaved.size() < needed) continue;
        const float* data = useBuffer ? nullptr : mesh.interleaved.data();
        const GLuint buffer = useBuffer ? mesh.vertexBuffer : 0;
        // A rebuilt mesh keeps its address but gets new data; compare what the arrays point at.
        if (lastDrawnMesh != &mesh || lastDrawnBuffer != buffer || lastDrawnData != data) {
            lastDrawnMesh = &mesh;
            lastDrawnBuffer = buffer;
            lastDrawnData = data;
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            const GLsizei stride = 5 * sizeof(float);
            if (useBuffer) {
                glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
                glVertexPointer(3, GL_FLOAT, stride, nullptr);
                glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
                glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
            } else {
                glVertexPointer(3, GL_FLOAT, stride, data);
                glTexCoordPointer(2, GL_FLOAT, stride, data + 3);
            }
        }
        glDrawArrays(set->drawAsQuads ? GL_QUADS : GL_TRIANGLES, 0, mesh.faceCount * corners);
    }
}
