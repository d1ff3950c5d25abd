// Small software rasteriser for the pack builder's generated art: float RGBA images, coverage masks from
// signed distance fields, blur, compositing, resampling and deterministic noise.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

// A colour from 0..255 channels.
Rgba rgb(int r, int g, int b, float a = 1.0f);
Rgba mixRgba(Rgba a, Rgba b, float t);
// Channels times k (alpha kept).
Rgba scaleRgb(Rgba c, float k);
Rgba withAlpha(Rgba c, float a);
// Hue in degrees, saturation and lightness 0..1.
Rgba hsl(float hueDeg, float sat, float light, float a = 1.0f);

// Straight (not premultiplied) alpha, rows top-down, y = 0 is the top row.
struct Image {
    int width = 0, height = 0;
    std::vector<float> px;  // r, g, b, a per pixel
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
};

Image newImage(int width, int height, Rgba fill = Rgba{});

// One float per pixel, 0..1 coverage.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> v;
    float at(int x, int y) const { return v[size_t(y) * size_t(width) + size_t(x)]; }
    float& ref(int x, int y) { return v[size_t(y) * size_t(width) + size_t(x)]; }
};

Mask newMask(int width, int height);

// A signed distance in pixels (negative inside) and a colour, both at a pixel centre.
using Field = std::function<float(float x, float y)>;
using Shader = std::function<Rgba(float x, float y)>;

// Pixel rectangle [x0, x1) x [y0, y1); clipped to the image by the users.
struct Box {
    int x0, y0, x1, y1;
};
Box fullBox(const Image& img);
Box boxAround(float cx, float cy, float rx, float ry);

// Anti-aliased coverage of a distance field: 1 inside, 0 outside, a ramp `soft` pixels wide at the edge.
float coverage(float dist, float soft = 1.0f);

// Source-over and additive painting of a shape (distance field) or a mask (placed with its top-left at dx, dy).
void fillShape(Image& img, const Field& sdf, const Shader& shader, Box box, float soft = 1.0f);
void fillShape(Image& img, const Field& sdf, Rgba colour, Box box, float soft = 1.0f);
void fillMask(Image& img, const Mask& mask, const Shader& shader, int dx, int dy, float opacity = 1.0f);
void fillMask(Image& img, const Mask& mask, Rgba colour, int dx, int dy, float opacity = 1.0f);
void addMask(Image& img, const Mask& mask, Rgba colour, int dx, int dy, float opacity = 1.0f);
// Every pixel through a shader, which gets the current colour (for gradients and filters over the whole image).
void shadeAll(Image& img, const std::function<Rgba(float x, float y, Rgba current)>& shader);
// Source-over of one pixel with a coverage factor.
void blendOver(Image& img, int x, int y, Rgba c, float cover);

Mask shapeMask(int width, int height, const Field& sdf, float soft = 1.0f);
// Gaussian-like blur (three box passes), radius in pixels; edges clamp to zero outside.
void blurMask(Mask& m, float radius);
// Grows a mask by r pixels (max over a disc).
Mask dilateMask(const Mask& m, int r);
// The mask padded by `pad` pixels of zero on every side.
Mask padMask(const Mask& m, int pad);

// Source-over of src onto dst at (x, y), with a global opacity.
void drawImage(Image& dst, const Image& src, int x, int y, float opacity = 1.0f);
// Area-averaging resample to any size (premultiplied, so transparent pixels do not bleed colour).
Image resizeImage(const Image& src, int width, int height);
// Whether every pixel is opaque.
bool isOpaque(const Image& img);

// Distance fields. Positions in pixels.
float sdCircle(float x, float y, float cx, float cy, float r);
float sdRoundBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius);
float sdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth);
// Any simple polygon (points in order).
float sdPolygon(float x, float y, const std::vector<float>& xy);
// A star of n points with outer radius ro and inner radius ri, the first point straight up.
float sdStar(float x, float y, float cx, float cy, float ro, float ri, int points, float rotationDeg = 0.0f);
// A ring of thickness 2 * halfWidth around radius r.
float sdRing(float x, float y, float cx, float cy, float r, float halfWidth);
// Arc of a ring from angle a0 to a1 (degrees, clockwise from up on screen), round ends.
float sdArc(float x, float y, float cx, float cy, float r, float halfWidth, float a0, float a1);
float sdHeart(float x, float y, float cx, float cy, float size);

// Deterministic noise: hash, value noise 0..1 and fractal sum 0..1.
uint32_t hash32(uint32_t x);
uint32_t hash3(int x, int y, uint32_t seed);
float hashUnit(int x, int y, uint32_t seed);
float valueNoise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed, float gain = 0.5f);

// A small generator for placing things (stars, sparks) the same way every run.
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed * 2654435761u + 1u) {}
    uint32_t next();
    float unit();                   // 0..1
    float range(float a, float b);  // a..b
};

float clamp01(float v);
float smoothstep(float e0, float e1, float x);
