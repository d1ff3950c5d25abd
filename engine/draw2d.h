// 2D drawing in screen pixels (quads with an anchor, hit rectangles, the orthographic
// projection) and the GL state helpers the engine shares.
#pragma once
#include "engine/vecmath.h"

#include <GL/gl.h>
#include <string>
#include <vector>

struct MeshSet;

// A screen rectangle in whole pixels.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Capabilities enabled through enableCapability and not disabled since.
extern std::vector<GLenum> enabledCapabilities;

// The rectangle [left, right] x [top, bottom] of a w x h quad whose anchor point is (x, y):
// 0 centre, 1 top-left, 2 middle of the bottom edge, 3 bottom-left, 4 bottom-right,
// 5 middle of the left edge, 7 middle of the top edge. False for any other anchor.
bool anchorRect(float x, float y, float w, float h, int anchor, float& left, float& top, float& right,
                float& bottom);
// The byte glColor4ub gets for an alpha of 0..255 times a fade of 0..1 (clamped, never wrapped).
unsigned char alphaByte(float alpha, float fade);

// One quad. texture: an asset name, "" for an untextured quad in the caller's colour, or "atlas"
// for the whole bound atlas page. alpha 0..255, or -1 to keep the caller's colour.
void Render2D(Vector2 position, Vector2 size, int anchor, std::string texture, float alpha);
void Render2D(float x, float y, float w, float h, int anchor, std::string texture, float alpha);
// The same quad with texture coordinates for its corners: top-left, bottom-left, bottom-right,
// top-right, each 0..1 across the image.
void Render2DUV(Vector2 position, Vector2 size, int anchor, std::string texture, float alpha, Vector2 uv0,
                Vector2 uv1, Vector2 uv2, Vector2 uv3);
void Render2DUV(float x, float y, float w, float h, int anchor, std::string texture, float alpha, Vector2 uv0,
                Vector2 uv1, Vector2 uv2, Vector2 uv3);
// An untextured quad in the colour (0..255 each): glColor4ub, then Render2D with the empty name.
void drawColourQuad(float x, float y, float w, float h, int anchor, float r, float g, float b, float a);
// The outline of a quad (anchors as Render2D), untextured, lines lineWidth pixels wide.
void drawLineLoop(float x, float y, float w, float h, int anchor, float r, float g, float b, float a, float lineWidth);
// The hit rectangle of a button: anchor 0 (centre) or 7 (middle of the top edge), values
// truncated toward zero; any other anchor gives an empty rectangle.
ScreenRect makeRect(float x, float y, float w, float h, int anchor);
// True when the pointer (mouseX, mouseY) lies strictly inside; an edge is outside.
bool isMouseInRect(int left, int top, int right, int bottom);

// glEnable / glDisable only when the state changes; every enable and disable goes through these.
void enableCapability(GLenum cap);
void disableCapability(GLenum cap);
bool isCapabilityEnabled(GLenum cap);

// The 2D projection: pixels, y down, no depth test and no face culling (2D quads are wound
// clockwise on screen). popOrtho restores what pushOrtho changed.
void pushOrtho();
void popOrtho();
void clearScreen(float r, float g, float b, float a);
// Camera::look with the mass ratio that shakes the view.
void applyCamera(float massRatio);


// Draws every mesh of the set from its interleaved (x, y, z, u, v) corners through client arrays.
void drawMeshSet(MeshSet* set);
// Forgets which mesh the client arrays point at; call after repointing them or rebuilding a mesh.
void resetMeshSetCache();
