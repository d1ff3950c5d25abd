#include "tools/raster.h"

#include <algorithm>
#include <cmath>

namespace {
const float kPi = 3.14159265358979f;
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

Rgba rgb(int r, int g, int b, float a) { return Rgba{r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Rgba mixRgba(Rgba a, Rgba b, float t) {
    return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba scaleRgb(Rgba c, float k) { return Rgba{c.r * k, c.g * k, c.b * k, c.a}; }

Rgba withAlpha(Rgba c, float a) { return Rgba{c.r, c.g, c.b, a}; }

Rgba hsl(float hueDeg, float sat, float light, float a) {
    float h = std::fmod(hueDeg, 360.0f);
    if (h < 0) h += 360.0f;
    float c = (1.0f - std::fabs(2.0f * light - 1.0f)) * sat;
    float hp = h / 60.0f;
    float x = c * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
    float r = 0, g = 0, b = 0;
    if (hp < 1) { r = c; g = x; }
    else if (hp < 2) { r = x; g = c; }
    else if (hp < 3) { g = c; b = x; }
    else if (hp < 4) { g = x; b = c; }
    else if (hp < 5) { r = x; b = c; }
    else { r = c; b = x; }
    float m = light - c / 2.0f;
    return Rgba{r + m, g + m, b + m, a};
}

Rgba Image::get(int x, int y) const {
    const float* p = &px[(size_t(y) * size_t(width) + size_t(x)) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

void Image::set(int x, int y, Rgba c) {
    float* p = &px[(size_t(y) * size_t(width) + size_t(x)) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
}

Image newImage(int width, int height, Rgba fill) {
    Image img;
    img.width = width;
    img.height = height;
    img.px.resize(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < img.px.size(); i += 4) {
        img.px[i] = fill.r;
        img.px[i + 1] = fill.g;
        img.px[i + 2] = fill.b;
        img.px[i + 3] = fill.a;
    }
    return img;
}

Mask newMask(int width, int height) {
    Mask m;
    m.width = width;
    m.height = height;
    m.v.assign(size_t(width) * size_t(height), 0.0f);
    return m;
}

Box fullBox(const Image& img) { return Box{0, 0, img.width, img.height}; }

Box boxAround(float cx, float cy, float rx, float ry) {
    return Box{int(std::floor(cx - rx - 2)), int(std::floor(cy - ry - 2)), int(std::ceil(cx + rx + 2)),
               int(std::ceil(cy + ry + 2))};
}

float coverage(float dist, float soft) { return clamp01(0.5f - dist / soft); }

void blendOver(Image& img, int x, int y, Rgba c, float cover) {
    float sa = clamp01(c.a * cover);
    if (sa <= 0.0f) return;
    float* p = &img.px[(size_t(y) * size_t(img.width) + size_t(x)) * 4];
    float da = p[3];
    float oa = sa + da * (1.0f - sa);
    if (oa <= 0.0f) return;
    float kd = da * (1.0f - sa);
    p[0] = (c.r * sa + p[0] * kd) / oa;
    p[1] = (c.g * sa + p[1] * kd) / oa;
    p[2] = (c.b * sa + p[2] * kd) / oa;
    p[3] = oa;
}

static Box clipBox(const Image& img, Box b) {
    return Box{std::max(0, b.x0), std::max(0, b.y0), std::min(img.width, b.x1), std::min(img.height, b.y1)};
}

void fillShape(Image& img, const Field& sdf, const Shader& shader, Box box, float soft) {
    Box b = clipBox(img, box);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float c = coverage(sdf(fx, fy), soft);
            if (c <= 0.0f) continue;
            blendOver(img, x, y, shader(fx, fy), c);
        }
}

void fillShape(Image& img, const Field& sdf, Rgba colour, Box box, float soft) {
    fillShape(img, sdf, [colour](float, float) { return colour; }, box, soft);
}

void fillMask(Image& img, const Mask& mask, const Shader& shader, int dx, int dy, float opacity) {
    for (int y = 0; y < mask.height; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= img.height) continue;
        for (int x = 0; x < mask.width; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= img.width) continue;
            float c = mask.at(x, y) * opacity;
            if (c <= 0.0f) continue;
            blendOver(img, tx, ty, shader(tx + 0.5f, ty + 0.5f), c);
        }
    }
}

void fillMask(Image& img, const Mask& mask, Rgba colour, int dx, int dy, float opacity) {
    fillMask(img, mask, [colour](float, float) { return colour; }, dx, dy, opacity);
}

void addMask(Image& img, const Mask& mask, Rgba colour, int dx, int dy, float opacity) {
    for (int y = 0; y < mask.height; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= img.height) continue;
        for (int x = 0; x < mask.width; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= img.width) continue;
            float c = mask.at(x, y) * opacity * colour.a;
            if (c <= 0.0f) continue;
            float* p = &img.px[(size_t(ty) * size_t(img.width) + size_t(tx)) * 4];
            // Light adds to the colour and makes the pixel that much more opaque.
            float da = p[3];
            float na = std::min(1.0f, da + c);
            if (na <= 0.0f) continue;
            p[0] = std::min(1.0f, (p[0] * da + colour.r * c) / na);
            p[1] = std::min(1.0f, (p[1] * da + colour.g * c) / na);
            p[2] = std::min(1.0f, (p[2] * da + colour.b * c) / na);
            p[3] = na;
        }
    }
}

void shadeAll(Image& img, const std::function<Rgba(float x, float y, Rgba current)>& shader) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.set(x, y, shader(x + 0.5f, y + 0.5f, img.get(x, y)));
}

Mask shapeMask(int width, int height, const Field& sdf, float soft) {
    Mask m = newMask(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) m.ref(x, y) = coverage(sdf(x + 0.5f, y + 0.5f), soft);
    return m;
}

// One box pass along rows or columns with a running sum; values outside count as zero.
static void boxPass(std::vector<float>& v, int w, int h, int r, bool horizontal) {
    if (r <= 0) return;
    int n = horizontal ? w : h;
    int lines = horizontal ? h : w;
    std::vector<float> line(static_cast<size_t>(n)), out(static_cast<size_t>(n));
    float inv = 1.0f / float(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < n; ++i)
            line[size_t(i)] = horizontal ? v[size_t(l) * size_t(w) + size_t(i)] : v[size_t(i) * size_t(w) + size_t(l)];
        double sum = 0;
        for (int i = -r; i <= r; ++i)
            if (i >= 0 && i < n) sum += line[size_t(i)];
        for (int i = 0; i < n; ++i) {
            out[size_t(i)] = float(sum) * inv;
            int add = i + r + 1, sub = i - r;
            if (add < n) sum += line[size_t(add)];
            if (sub >= 0) sum -= line[size_t(sub)];
        }
        for (int i = 0; i < n; ++i) {
            if (horizontal) v[size_t(l) * size_t(w) + size_t(i)] = out[size_t(i)];
            else v[size_t(i) * size_t(w) + size_t(l)] = out[size_t(i)];
        }
    }
}

void blurMask(Mask& m, float radius) {
    // Three box passes of this width approximate a Gaussian of the given radius.
    int r = std::max(0, int(std::lround(radius / 1.73f)));
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(m.v, m.width, m.height, r, true);
        boxPass(m.v, m.width, m.height, r, false);
    }
}

Mask dilateMask(const Mask& m, int r) {
    Mask out = newMask(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float best = 0.0f;
            for (int dy = -r; dy <= r && best < 1.0f; ++dy) {
                int yy = y + dy;
                if (yy < 0 || yy >= m.height) continue;
                for (int dx = -r; dx <= r; ++dx) {
                    int xx = x + dx;
                    if (xx < 0 || xx >= m.width) continue;
                    float d = std::sqrt(float(dx * dx + dy * dy));
                    float w = clamp01(r + 0.5f - d);
                    best = std::max(best, m.at(xx, yy) * w);
                }
            }
            out.ref(x, y) = best;
        }
    return out;
}

Mask padMask(const Mask& m, int pad) {
    Mask out = newMask(m.width + 2 * pad, m.height + 2 * pad);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) out.ref(x + pad, y + pad) = m.at(x, y);
    return out;
}

void drawImage(Image& dst, const Image& src, int x, int y, float opacity) {
    for (int sy = 0; sy < src.height; ++sy) {
        int ty = sy + y;
        if (ty < 0 || ty >= dst.height) continue;
        for (int sx = 0; sx < src.width; ++sx) {
            int tx = sx + x;
            if (tx < 0 || tx >= dst.width) continue;
            blendOver(dst, tx, ty, src.get(sx, sy), opacity);
        }
    }
}

Image resizeImage(const Image& src, int width, int height) {
    Image out = newImage(width, height);
    float sx = float(src.width) / float(width), sy = float(src.height) / float(height);
    for (int y = 0; y < height; ++y) {
        float y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < width; ++x) {
            float x0 = x * sx, x1 = (x + 1) * sx;
            double r = 0, g = 0, b = 0, a = 0, wsum = 0;
            for (int yy = int(y0); yy < int(std::ceil(y1)) && yy < src.height; ++yy) {
                float wy = std::min(y1, float(yy + 1)) - std::max(y0, float(yy));
                if (wy <= 0) continue;
                for (int xx = int(x0); xx < int(std::ceil(x1)) && xx < src.width; ++xx) {
                    float wx = std::min(x1, float(xx + 1)) - std::max(x0, float(xx));
                    if (wx <= 0) continue;
                    double w = double(wx) * wy;
                    Rgba c = src.get(xx, yy);
                    r += c.r * c.a * w;
                    g += c.g * c.a * w;
                    b += c.b * c.a * w;
                    a += c.a * w;
                    wsum += w;
                }
            }
            if (wsum <= 0 || a <= 0) {
                out.set(x, y, Rgba{0, 0, 0, 0});
                continue;
            }
            out.set(x, y, Rgba{float(r / a), float(g / a), float(b / a), float(a / wsum)});
        }
    }
    return out;
}

bool isOpaque(const Image& img) {
    for (size_t i = 3; i < img.px.size(); i += 4)
        if (img.px[i] < 0.999f) return false;
    return true;
}

float sdCircle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float sdRoundBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius) {
    float qx = std::fabs(x - cx) - halfW + radius;
    float qy = std::fabs(y - cy) - halfH + radius;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t) - halfWidth;
}

float sdPolygon(float x, float y, const std::vector<float>& xy) {
    size_t n = xy.size() / 2;
    float d = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
        float len2 = ex * ex + ey * ey;
        float t = len2 > 0 ? clamp01((wx * ex + wy * ey) / len2) : 0.0f;
        float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) inside = !inside;
    }
    float dist = std::sqrt(d);
    return inside ? -dist : dist;
}

float sdStar(float x, float y, float cx, float cy, float ro, float ri, int points, float rotationDeg) {
    std::vector<float> xy;
    for (int i = 0; i < points * 2; ++i) {
        float a = (rotationDeg + i * 180.0f / points) * kPi / 180.0f;
        float r = (i % 2 == 0) ? ro : ri;
        xy.push_back(cx + std::sin(a) * r);
        xy.push_back(cy - std::cos(a) * r);
    }
    return sdPolygon(x, y, xy);
}

float sdRing(float x, float y, float cx, float cy, float r, float halfWidth) {
    return std::fabs(std::hypot(x - cx, y - cy) - r) - halfWidth;
}

float sdArc(float x, float y, float cx, float cy, float r, float halfWidth, float a0, float a1) {
    float dx = x - cx, dy = y - cy;
    float ang = std::atan2(dx, -dy) * 180.0f / kPi;  // clockwise from up
    if (ang < 0) ang += 360.0f;
    float lo = std::fmod(a0, 360.0f);
    if (lo < 0) lo += 360.0f;
    float span = a1 - a0;
    float rel = ang - lo;
    if (rel < 0) rel += 360.0f;
    if (rel <= span) return std::fabs(std::hypot(dx, dy) - r) - halfWidth;
    float e0 = a0 * kPi / 180.0f, e1 = a1 * kPi / 180.0f;
    float d0 = std::hypot(x - (cx + std::sin(e0) * r), y - (cy - std::cos(e0) * r));
    float d1 = std::hypot(x - (cx + std::sin(e1) * r), y - (cy - std::cos(e1) * r));
    return std::min(d0, d1) - halfWidth;
}

float sdHeart(float x, float y, float cx, float cy, float size) {
    // Two circles on top and a triangle-ish point below, joined.
    float r = size * 0.52f;
    float d1 = sdCircle(x, y, cx - size * 0.48f, cy - size * 0.25f, r);
    float d2 = sdCircle(x, y, cx + size * 0.48f, cy - size * 0.25f, r);
    std::vector<float> tri = {cx - size * 0.97f, cy - size * 0.05f, cx + size * 0.97f, cy - size * 0.05f,
                              cx, cy + size * 1.05f};
    float d3 = sdPolygon(x, y, tri);
    return std::min(std::min(d1, d2), d3);
}

uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

uint32_t hash3(int x, int y, uint32_t seed) {
    return hash32(uint32_t(x) * 0x8da6b343u ^ hash32(uint32_t(y) * 0xd8163841u ^ hash32(seed)));
}

float hashUnit(int x, int y, uint32_t seed) { return float(hash3(x, y, seed) & 0xffffffu) / float(0x1000000); }

float valueNoise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = hashUnit(ix, iy, seed), b = hashUnit(ix + 1, iy, seed);
    float c = hashUnit(ix, iy + 1, seed), d = hashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(float x, float y, int octaves, uint32_t seed, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += valueNoise(x, y, seed + uint32_t(i) * 101u) * amp;
        norm += amp;
        amp *= gain;
        // Rotate a little between octaves so the grid does not show.
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 17.3f;
        y = ny + 9.1f;
    }
    return sum / norm;
}

uint32_t Rng::next() {
    state = state * 1664525u + 1013904223u;
    return hash32(state);
}

float Rng::unit() { return float(next() & 0xffffffu) / float(0x1000000); }

float Rng::range(float a, float b) { return a + (b - a) * unit(); }
