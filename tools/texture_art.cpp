// Every texture of the pack, drawn here at build time: blocks, particles, backdrops, interface images,
// tutorial pages and achievement emblems. Deterministic: fixed seeds, no clocks, no files but the fonts.
#include "tools/texture_art.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "engine/texture_names.h"
#include "tools/art_kit.h"
#include "tools/pack_assets.h"
#include "tools/tga_write.h"

namespace {

const float kPi = 3.14159265358979f;

Rgba lighten(Rgba c, float t) { return mixRgba(c, Rgba{1, 1, 1, c.a}, t); }
Rgba darken(Rgba c, float k) { return Rgba{c.r * k, c.g * k, c.b * k, c.a}; }

// ---------------------------------------------------------------------------------------------------------
// Blocks

const char* kColourNames[8] = {"", "yellow", "blue", "red", "orange", "pink", "grey", "green"};

int colourByName(const std::string& n) {
    for (int i = 1; i <= 7; ++i)
        if (n == kColourNames[i]) return i;
    return 6;
}

// One shape per colour for colour-blind play; each differs in outline, not only in size.
BlockSymbol symbolOf(int colour) {
    switch (colour) {
    case 1: return BlockSymbol::Circle;
    case 2: return BlockSymbol::Square;
    case 3: return BlockSymbol::Triangle;
    case 4: return BlockSymbol::Cross;
    case 5: return BlockSymbol::Heart;
    case 7: return BlockSymbol::Star;
    default: return BlockSymbol::None;
    }
}

Image makeBlock(const std::string& colourName, bool lit, bool colourBlind) {
    int c = colourByName(colourName);
    return blockFace(blockColour(c), lit, colourBlind ? symbolOf(c) : BlockSymbol::None);
}

Image makeCubeTile(int colour) {
    Image face = blockFace(blockColour(colour), false, BlockSymbol::None, 128);
    Image img = newImage(256, 256);
    drawGlow(img, 128, 140, 120, withAlpha(lighten(blockColour(colour), 0.3f), 0.35f));
    drawIsoCube(img, face, 128, 132, 210);
    return img;
}

// ---------------------------------------------------------------------------------------------------------
// Particles and glows

Image makeParticle(Rgba colour) {
    const int S = 128;
    Image img = newImage(S, S, Rgba{colour.r, colour.g, colour.b, 0});
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float d = std::hypot(x + 0.5f - S / 2.0f, y + 0.5f - S / 2.0f) / (S / 2.0f - 1.5f);
            if (d >= 1.0f) continue;
            float halo = std::pow(1.0f - d, 2.0f);
            float core = std::exp(-d * d * 18.0f);
            float a = clamp01(halo * 0.85f + core * 0.6f);
            Rgba c = mixRgba(colour, Rgba{1, 1, 1, 1}, clamp01(core * 0.9f));
            img.set(x, y, Rgba{c.r, c.g, c.b, a});
        }
    return img;
}

Image makeDeathsplosion() {
    const int S = 512;
    Image img = newImage(S, S, Rgba{1, 0.8f, 0.5f, 0});
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float dx = x + 0.5f - S / 2.0f, dy = y + 0.5f - S / 2.0f;
            float d = std::hypot(dx, dy) / (S / 2.0f - 2.0f);
            if (d >= 1.0f) continue;
            float ang = std::atan2(dy, dx);
            float rays = 0.5f + 0.5f * std::pow(std::fabs(std::sin(ang * 9.0f + std::sin(ang * 3.0f) * 1.5f)), 6.0f);
            float n = fbm(std::cos(ang) * 3 + 10, std::sin(ang) * 3 + 10, 3, 911);
            float a = std::pow(1.0f - d, 1.2f) * (0.6f + 0.5f * rays * n * 1.4f);
            a = clamp01(a + std::exp(-d * d * 12.0f));
            Rgba c = mixRgba(rgb(255, 140, 50), rgb(255, 250, 235), clamp01(std::exp(-d * d * 4.0f) * 1.3f));
            img.set(x, y, Rgba{c.r, c.g, c.b, a});
        }
    return img;
}

Image makePowerupGlow() {
    const int S = 128;
    Image img = newImage(S, S, Rgba{1, 0.85f, 0.4f, 0});
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float d = sdRoundBox(x + 0.5f, y + 0.5f, S / 2.0f, S / 2.0f, S * 0.3f, S * 0.3f, S * 0.1f);
            float a = d < 0 ? 0.9f : clamp01(std::exp(-d / (S * 0.07f)) * 0.9f);
            if (x < 1 || y < 1 || x >= S - 1 || y >= S - 1) a = 0;
            Rgba c = mixRgba(rgb(255, 240, 170), rgb(255, 170, 40), clamp01(d / (S * 0.2f)));
            img.set(x, y, Rgba{c.r, c.g, c.b, a});
        }
    return img;
}

// Full-screen overlays: colour at the edges, clear in the middle.
Image makeEdgeOverlay(Rgba colour, Rgba hot, uint32_t seed, bool stripes) {
    const int W = 1024, H = 512;
    Image img = newImage(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float u = (x + 0.5f) / W * 2 - 1, v = (y + 0.5f) / H * 2 - 1;
            float e = std::max(std::fabs(u), std::fabs(v));
            float r = std::sqrt(u * u * 0.6f + v * v * 0.6f + e * e * 0.4f);
            float n = fbm(x / 90.0f, y / 90.0f, 4, seed);
            float a = smoothstep(0.68f, 1.12f, r + (n - 0.5f) * 0.3f);
            if (stripes) {
                // Faint hazard stripes in the red.
                float s = std::fmod((x + y) / 48.0f, 2.0f);
                a *= 0.88f + 0.12f * smoothstep(0.9f, 1.1f, s) * smoothstep(2.0f, 1.8f, s);
            }
            Rgba c = mixRgba(colour, hot, clamp01((r - 0.8f) * 3.0f) * 0.7f);
            img.set(x, y, Rgba{c.r, c.g, c.b, clamp01(a)});
        }
    return img;
}

// ---------------------------------------------------------------------------------------------------------
// Backdrops: deep space, ten looks.

struct SpaceLook {
    Rgba top, bottom, nebA, nebB;
    float nebAmount, warp, dust;
    int stars, brightStars;
    int feature;  // 0 none, 1 planet, 2 band, 3 cluster, 4 ringed planet
    float fx, fy, fr;  // feature place (fractions of the height) and size
    Rgba featureColour;
    uint32_t seed;
};

void addStar(Image& img, float sx, float sy, float radius, Rgba colour, float bright) {
    int r = int(std::ceil(radius * 3)) + 1;
    for (int y = int(sy) - r; y <= int(sy) + r; ++y) {
        if (y < 0 || y >= img.height) continue;
        for (int x = int(sx) - r; x <= int(sx) + r; ++x) {
            if (x < 0 || x >= img.width) continue;
            float d = std::hypot(x + 0.5f - sx, y + 0.5f - sy) / radius;
            float k = std::exp(-d * d) * bright;
            if (k < 0.002f) continue;
            Rgba p = img.get(x, y);
            img.set(x, y, Rgba{std::min(1.0f, p.r + colour.r * k), std::min(1.0f, p.g + colour.g * k),
                               std::min(1.0f, p.b + colour.b * k), 1});
        }
    }
}

void addBrightStar(Image& img, float sx, float sy, float size, Rgba colour) {
    addStar(img, sx, sy, size * 0.6f, Rgba{1, 1, 1, 1}, 1.0f);
    addStar(img, sx, sy, size * 2.5f, colour, 0.25f);
    int len = int(size * 9);
    for (int i = -len; i <= len; ++i) {
        float k = std::pow(1.0f - std::fabs(float(i)) / len, 3.0f) * 0.6f;
        for (int axis = 0; axis < 2; ++axis) {
            int x = int(sx) + (axis == 0 ? i : 0), y = int(sy) + (axis == 1 ? i : 0);
            if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
            Rgba p = img.get(x, y);
            img.set(x, y, Rgba{std::min(1.0f, p.r + colour.r * k), std::min(1.0f, p.g + colour.g * k),
                               std::min(1.0f, p.b + colour.b * k), 1});
        }
    }
}

Image makeBackdrop(const SpaceLook& s) {
    const int W = 2048, H = 1024;
    // Clouds are smooth: compute them at half size and interpolate.
    const int LW = W / 2, LH = H / 2;
    std::vector<float> low(size_t(LW) * LH * 3);
    for (int y = 0; y < LH; ++y)
        for (int x = 0; x < LW; ++x) {
            float u = (x + 0.5f) / LH, v = (y + 0.5f) / LH;
            float qx = fbm(u * 1.6f, v * 1.6f, 4, s.seed);
            float qy = fbm(u * 1.6f + 5.2f, v * 1.6f + 1.3f, 4, s.seed + 7);
            float n = fbm(u * 2.2f + s.warp * qx * 2.0f, v * 2.2f + s.warp * qy * 2.0f, 6, s.seed + 13);
            float cloud = smoothstep(0.35f, 0.82f, n);
            float wisps = smoothstep(0.6f, 0.95f, fbm(u * 5.0f + qx * 3, v * 5.0f + qy * 3, 5, s.seed + 21));
            float dust = smoothstep(0.48f, 0.78f, fbm(u * 3.5f + qy, v * 3.5f - qx, 5, s.seed + 33)) * s.dust;
            float shape = 1.0f;
            if (s.feature == 2) {
                // A diagonal band of the galaxy's plane.
                float d = (v - (0.15f + u * 0.35f)) * 2.4f - (qx - 0.5f) * 0.8f;
                shape = std::exp(-d * d * 3.0f) * 1.3f + 0.15f;
            } else if (s.feature == 3) {
                float d = std::hypot(u - s.fx, v - s.fy);
                shape = std::exp(-d * d * 4.0f) * 1.4f + 0.2f;
            }
            Rgba neb = mixRgba(s.nebA, s.nebB, smoothstep(0.3f, 0.7f, qx));
            float k = (cloud * 0.8f + wisps * 0.6f) * shape * s.nebAmount * (1.0f - dust * 0.85f);
            Rgba bg = mixRgba(s.top, s.bottom, clamp01(v));
            bg = scaleRgb(bg, 1.0f - dust * 0.5f);
            size_t o = (size_t(y) * LW + x) * 3;
            low[o] = bg.r + neb.r * k;
            low[o + 1] = bg.g + neb.g * k;
            low[o + 2] = bg.b + neb.b * k;
        }
    Image img = newImage(W, H, Rgba{0, 0, 0, 1});
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float lx = std::min(float(LW - 1), std::max(0.0f, (x + 0.5f) / 2.0f - 0.5f));
            float ly = std::min(float(LH - 1), std::max(0.0f, (y + 0.5f) / 2.0f - 0.5f));
            int x0 = int(lx), y0 = int(ly), x1 = std::min(LW - 1, x0 + 1), y1 = std::min(LH - 1, y0 + 1);
            float tx = lx - x0, ty = ly - y0;
            float c[3];
            for (int ch = 0; ch < 3; ++ch) {
                float a = low[(size_t(y0) * LW + x0) * 3 + ch], b = low[(size_t(y0) * LW + x1) * 3 + ch];
                float cc = low[(size_t(y1) * LW + x0) * 3 + ch], d = low[(size_t(y1) * LW + x1) * 3 + ch];
                c[ch] = (a + (b - a) * tx) * (1 - ty) + (cc + (d - cc) * tx) * ty;
            }
            // A whisper of grain hides banding in the dark gradients.
            float g = (hashUnit(x, y, s.seed + 99) - 0.5f) / 255.0f * 1.5f;
            img.set(x, y, Rgba{clamp01(c[0] + g), clamp01(c[1] + g), clamp01(c[2] + g), 1});
        }
    Rng rng(s.seed);
    for (int i = 0; i < s.stars; ++i) {
        float x = rng.range(0, W), y = rng.range(0, H);
        if (s.feature == 3) {
            // Half of the stars crowd around the cluster.
            if (i % 2 == 0) {
                float a = rng.range(0, 2 * kPi), r = std::pow(rng.unit(), 2.0f) * s.fr * H;
                x = s.fx * H + std::cos(a) * r;
                y = s.fy * H + std::sin(a) * r;
            }
        }
        float b = std::pow(rng.unit(), 3.0f);
        float tint = rng.unit();
        Rgba c = tint < 0.3f ? rgb(190, 210, 255) : (tint < 0.85f ? rgb(255, 255, 255) : rgb(255, 225, 190));
        addStar(img, x, y, 0.55f + b * 0.9f, c, 0.25f + b * 0.75f);
    }
    for (int i = 0; i < s.brightStars; ++i) {
        float x = rng.range(40, W - 40), y = rng.range(40, H - 40);
        float tint = rng.unit();
        Rgba c = tint < 0.5f ? rgb(170, 200, 255) : rgb(255, 220, 180);
        addBrightStar(img, x, y, rng.range(1.5f, 3.2f), c);
    }
    if (s.feature == 1 || s.feature == 4) {
        // A planet with a lit limb and a soft atmosphere.
        float pcx = s.fx * H, pcy = s.fy * H, pr = s.fr * H;
        Rgba pc = s.featureColour;
        float lx = -0.6f, ly = -0.5f, lz = 0.62f;
        float reach = s.feature == 4 ? 2.2f : 1.25f;  // the ring reaches well beyond the disc
        Box b = boxAround(pcx, pcy, pr * reach, pr * reach);
        for (int y = std::max(0, b.y0); y < std::min(H, b.y1); ++y)
            for (int x = std::max(0, b.x0); x < std::min(W, b.x1); ++x) {
                float dx = (x + 0.5f - pcx) / pr, dy = (y + 0.5f - pcy) / pr;
                float r2 = dx * dx + dy * dy;
                float r = std::sqrt(r2);
                Rgba p = img.get(x, y);
                // Atmosphere halo outside the disc.
                if (r > 0.98f) {
                    float lit = clamp01(0.35f + (dx * lx + dy * ly) / r * 0.9f);
                    float h = std::exp(-(r - 1.0f) * 14.0f) * lit * 0.8f;
                    Rgba atm = lighten(pc, 0.4f);
                    p = Rgba{clamp01(p.r + atm.r * h), clamp01(p.g + atm.g * h), clamp01(p.b + atm.b * h), 1};
                }
                float cov = coverage((r - 1.0f) * pr);
                if (cov > 0) {
                    float nz = std::sqrt(std::max(0.0f, 1.0f - r2));
                    float diff = clamp01(dx * lx + dy * ly + nz * lz);
                    float bands = fbm(dx * 1.5f + 3, dy * 9.0f + fbm(dx * 3, dy * 3, 3, s.seed + 5) * 2.0f, 4, s.seed + 3);
                    Rgba surf = mixRgba(darken(pc, 0.75f), lighten(pc, 0.2f), bands);
                    float rim = std::pow(1.0f - nz, 3.0f) * clamp01((dx * lx + dy * ly) * 0.5f + 0.5f);
                    Rgba col = scaleRgb(surf, 0.03f + diff * 0.97f);
                    col = mixRgba(col, lighten(pc, 0.5f), rim * 0.5f * diff);
                    p = mixRgba(p, Rgba{col.r, col.g, col.b, 1}, cov);
                }
                if (s.feature == 4) {
                    // A thin ring, tilted; hidden behind the disc on its upper half.
                    float ex = dx, ey = (dy - dx * 0.2f) / 0.3f;
                    float rr = std::hypot(ex, ey);
                    float ring = smoothstep(1.3f, 1.4f, rr) * (1.0f - smoothstep(1.95f, 2.08f, rr));
                    bool behind = ey < 0 && r < 1.0f;
                    if (ring > 0 && !behind) {
                        float band = (0.75f + 0.25f * std::sin(rr * 23.0f)) * (1.0f - 0.8f * std::exp(-std::pow((rr - 1.72f) / 0.03f, 2.0f)));
                        // The ring takes light on its lit side and the planet's shadow behind it.
                        float shade = (ey > 0 && std::fabs(dx) < 1.0f) ? 1.0f : 0.9f;
                        Rgba rc = scaleRgb(lighten(pc, 0.3f), shade);
                        float k = ring * band * 0.85f;
                        p = mixRgba(p, Rgba{rc.r, rc.g, rc.b, 1}, k);
                    }
                }
                img.set(x, y, p);
            }
    }
    return img;
}

SpaceLook backdropLook(int n) {
    SpaceLook s{};
    s.nebAmount = 0.9f;
    s.warp = 1.0f;
    s.dust = 0.5f;
    s.stars = 2600;
    s.brightStars = 10;
    s.seed = 1000u + uint32_t(n) * 7919u;
    switch (n) {
    case 1:  // the menus: calm indigo with cyan wisps
        s.top = rgb(6, 8, 26); s.bottom = rgb(14, 8, 34); s.nebA = rgb(40, 60, 170); s.nebB = rgb(30, 150, 190);
        s.nebAmount = 0.75f; break;
    case 2:  // teal nebula over an ice planet
        s.top = rgb(2, 12, 22); s.bottom = rgb(4, 20, 32); s.nebA = rgb(20, 120, 150); s.nebB = rgb(60, 90, 190);
        s.feature = 1; s.fx = 2.02f; s.fy = 0.5f; s.fr = 0.36f; s.featureColour = rgb(120, 190, 230); break;
    case 3:  // violet galaxy plane
        s.top = rgb(12, 4, 24); s.bottom = rgb(20, 6, 30); s.nebA = rgb(150, 40, 170); s.nebB = rgb(70, 50, 200);
        s.feature = 2; s.stars = 3600; break;
    case 4:  // amber dust and a rust-red world
        s.top = rgb(16, 8, 6); s.bottom = rgb(26, 12, 8); s.nebA = rgb(190, 100, 30); s.nebB = rgb(150, 50, 30);
        s.dust = 0.8f; s.feature = 1; s.fx = 0.3f; s.fy = 0.52f; s.fr = 0.17f; s.featureColour = rgb(190, 90, 50); break;
    case 5:  // green and cyan veils
        s.top = rgb(2, 14, 12); s.bottom = rgb(4, 10, 20); s.nebA = rgb(30, 170, 90); s.nebB = rgb(30, 140, 170);
        s.warp = 1.6f; break;
    case 6:  // Rush: a fiery red nebula
        s.top = rgb(20, 4, 4); s.bottom = rgb(26, 6, 2); s.nebA = rgb(200, 50, 20); s.nebB = rgb(220, 120, 30);
        s.nebAmount = 0.75f; s.warp = 1.4f; s.dust = 0.7f; break;
    case 7:  // blue-white star cluster
        s.top = rgb(2, 6, 20); s.bottom = rgb(4, 10, 28); s.nebA = rgb(40, 90, 200); s.nebB = rgb(120, 160, 230);
        s.feature = 3; s.fx = 1.3f; s.fy = 0.45f; s.fr = 0.35f; s.stars = 4200; s.brightStars = 18; s.nebAmount = 0.6f; break;
    case 8:  // rose nebula with a ringed gas giant
        s.top = rgb(18, 4, 18); s.bottom = rgb(26, 6, 22); s.nebA = rgb(200, 60, 140); s.nebB = rgb(120, 50, 180);
        s.feature = 4; s.fx = 0.6f; s.fy = 0.58f; s.fr = 0.15f; s.featureColour = rgb(220, 170, 130); break;
    case 9:  // Survival: crimson with heavy dust lanes
        s.top = rgb(14, 2, 4); s.bottom = rgb(22, 4, 6); s.nebA = rgb(170, 20, 30); s.nebB = rgb(110, 20, 60);
        s.dust = 0.95f; s.warp = 1.8f; break;
    default:  // Meditation: soft lavender and teal, few stars, a pale moon
        s.top = rgb(8, 10, 24); s.bottom = rgb(14, 18, 30); s.nebA = rgb(110, 90, 180); s.nebB = rgb(60, 150, 160);
        s.nebAmount = 0.6f; s.dust = 0.3f; s.stars = 1500; s.brightStars = 5;
        s.feature = 1; s.fx = 1.6f; s.fy = 0.3f; s.fr = 0.08f; s.featureColour = rgb(210, 215, 230); break;
    }
    return s;
}

// ---------------------------------------------------------------------------------------------------------
// Interface images

TextLook titleLook(float size, Rgba top, Rgba bottom) {
    TextLook t;
    t.size = size;
    t.top = top;
    t.bottom = bottom;
    t.outline = std::max(1.0f, size * 0.05f);
    t.outlineColour = Rgba{0.02f, 0.03f, 0.08f, 0.9f};
    t.shadowBlur = size * 0.08f;
    t.shadowDy = size * 0.05f;
    t.shadowColour = Rgba{0, 0, 0, 0.6f};
    return t;
}

TextLook bodyLook(float size) {
    TextLook t;
    t.font = ArtFont::Sans;
    t.size = size;
    t.top = rgb(236, 242, 255);
    t.bottom = rgb(200, 212, 236);
    t.shadowBlur = 1.5f;
    t.shadowDy = 1.5f;
    t.shadowColour = Rgba{0, 0, 0, 0.8f};
    return t;
}

Image makeMakerTitle() {
    const int W = 850, H = 370;
    Image img = newImage(W, H);
    // Emblem: a ring around a stylised Q-cube.
    float ex = 185, ey = 185, er = 120;
    drawGlow(img, ex, ey, er * 1.5f, rgb(90, 150, 255, 0.45f));
    Box b = boxAround(ex, ey, er * 1.2f, er * 1.2f);
    fillShape(img, [=](float x, float y) { return sdRing(x, y, ex, ey, er, 12); },
              [=](float x, float y) { return mixRgba(rgb(150, 220, 255), rgb(60, 90, 220), clamp01((x - ex + y - ey) / (2 * er) + 0.5f)); }, b);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, ex + er * 0.55f, ey + er * 0.55f, ex + er * 1.02f, ey + er * 1.02f, 12); },
              rgb(90, 140, 240), b);
    Image face = blockFace(rgb(60, 130, 235), true, BlockSymbol::None, 128);
    drawIsoCube(img, face, ex, ey + 4, 140);
    TextLook t = titleLook(118, rgb(245, 250, 255), rgb(150, 190, 240));
    t.font = ArtFont::SansBold;
    t.glow = 14;
    t.glowColour = rgb(80, 140, 255, 0.35f);
    t.size = fitTextSize(ArtFont::SansBold, "QUORVANE", 118, W - 345 - 20);
    drawText(img, "QUORVANE", 335, 218, t, Align::Left);
    TextLook sub = bodyLook(34);
    sub.top = rgb(170, 200, 240);
    sub.bottom = rgb(130, 160, 210);
    drawText(img, "i n t e r a c t i v e", 345, 272, sub, Align::Left);
    return img;
}

Image makeLogo() {
    const int W = 1258, H = 202;
    Image img = newImage(W, H);
    TextLook t = titleLook(168, rgb(235, 252, 255), rgb(70, 170, 240));
    t.font = ArtFont::SansBold;
    t.outline = 6;
    t.outlineColour = rgb(8, 20, 50, 0.95f);
    t.glow = 18;
    t.glowColour = rgb(60, 170, 255, 0.5f);
    float size = fitTextSize(ArtFont::SansBold, "Tessarine", 168, W - 60);
    t.size = size;
    drawText(img, "Tessarine", W / 2.0f, H / 2.0f + size * 0.36f, t, Align::Centre);
    // A light streak across the letters.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            Rgba p = img.get(x, y);
            if (p.a <= 0) continue;
            float k = std::exp(-std::pow((y - H * 0.42f) / 10.0f, 2.0f)) * 0.35f * smoothstep(0, 300, float(x)) *
                      smoothstep(float(W), float(W) - 300, float(x));
            img.set(x, y, Rgba{clamp01(p.r + k), clamp01(p.g + k), clamp01(p.b + k), p.a});
        }
    return img;
}

Image makeTitleGrid() {
    const int W = 1680, H = 542;
    Image img = newImage(W, H, Rgba{0.45f, 0.75f, 1.0f, 0});
    float cell = 48;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float fx = x + 0.5f - W / 2.0f, fy = y + 0.5f - H / 2.0f;
            float u = fx / (W / 2.0f), v = fy / (H / 2.0f);
            float fade = clamp01(1.0f - std::pow(u * u * 0.8f + v * v, 0.9f));
            fade *= smoothstep(0.0f, 4.0f, float(std::min(std::min(x, W - 1 - x), std::min(y, H - 1 - y))));
            float gx = std::fabs(std::fmod(std::fabs(fx) + cell / 2, cell) - cell / 2);
            float gy = std::fabs(std::fmod(std::fabs(fy) + cell / 2, cell) - cell / 2);
            float line = std::max(clamp01(1.2f - gx), clamp01(1.2f - gy));
            float node = clamp01(2.5f - std::hypot(gx, gy)) * 0.8f;
            float band = std::exp(-v * v * 3.0f) * 0.07f;
            float a = (line * 0.2f + node * 0.35f) * fade + band * fade;
            Rgba c = mixRgba(rgb(90, 170, 255), rgb(200, 240, 255), node);
            img.set(x, y, Rgba{c.r, c.g, c.b, clamp01(a)});
        }
    return img;
}

Image makeNewsWindow() {
    const int W = 662, H = 1062;
    Image img = newImage(W, H);
    drawPanel(img, 6, 6, W - 6, H - 8, 28, rgb(40, 64, 120, 0.95f), rgb(14, 22, 50, 0.95f), rgb(150, 200, 255), 4);
    // Header stripe behind the "News" title.
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, W / 2.0f, 70, W / 2.0f - 24, 40, 14); },
              [=](float, float y) { return mixRgba(rgb(90, 150, 240, 0.6f), rgb(40, 80, 170, 0.4f), clamp01((y - 30) / 80)); }, fullBox(img));
    return img;
}

Image makeSpinner() {
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f, r = S * 0.36f;
    // A comet arc: bright head, tail fading round the circle.
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            float ang = std::atan2(dx, -dy) / (2 * kPi);
            if (ang < 0) ang += 1.0f;
            float d = std::fabs(std::hypot(dx, dy) - r);
            float w = S * 0.045f + S * 0.04f * ang;
            float cov = clamp01(w - d + 0.5f);
            float a = cov * std::pow(ang, 1.5f);
            Rgba col = mixRgba(rgb(60, 120, 255), rgb(220, 245, 255), ang);
            img.set(x, y, Rgba{col.r, col.g, col.b, a});
        }
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, c - S * 0.02f, c - r, S * 0.085f); }, rgb(240, 250, 255), fullBox(img));
    return img;
}

Image makeCursor(int colour) {
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f;
    Rgba fill = colour == 0 ? rgb(255, 255, 255) : lighten(blockColour(colour), 0.1f);
    Box b = fullBox(img);
    // Dark outline under everything, so the pointer reads over any backdrop.
    auto reticle = [=](float x, float y) {
        float ring = sdRing(x, y, c, c, S * 0.27f, S * 0.03f);
        // Four gaps at the diagonals.
        float dx = std::fabs(x - c), dy = std::fabs(y - c);
        float gap = S * 0.06f - std::fabs(dx - dy) * 0.7071f;
        ring = std::max(ring, gap);
        float ticks = 1e9f;
        float t0 = S * 0.2f, t1 = S * 0.42f, tw = S * 0.022f;
        ticks = std::min(ticks, sdSegment(x, y, c, c - t1, c, c - t0, tw));
        ticks = std::min(ticks, sdSegment(x, y, c, c + t1, c, c + t0, tw));
        ticks = std::min(ticks, sdSegment(x, y, c - t1, c, c - t0, c, tw));
        ticks = std::min(ticks, sdSegment(x, y, c + t1, c, c + t0, c, tw));
        return std::min(std::min(ring, ticks), sdCircle(x, y, c, c, S * 0.04f));
    };
    fillShape(img, [=](float x, float y) { return reticle(x, y) - S * 0.022f; }, Rgba{0.02f, 0.02f, 0.05f, 0.7f}, b, 2.0f);
    if (colour != 0) drawGlow(img, c, c, S * 0.24f, withAlpha(fill, 0.5f));
    fillShape(img, reticle, [=](float x, float y) { return mixRgba(lighten(fill, 0.4f), fill, clamp01((x + y) / (2.0f * S))); }, b);
    return img;
}

Image makeHighlightBar() {
    const int W = 1050, H = 110;
    Image img = newImage(W, H, Rgba{0.75f, 0.88f, 1.0f, 0});
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float u = (x + 0.5f) / W * 2 - 1, v = (y + 0.5f) / H * 2 - 1;
            float ends = smoothstep(1.0f, 0.55f, std::fabs(u));
            float body = smoothstep(1.0f, 0.6f, std::fabs(v));
            float lines = std::exp(-std::pow((std::fabs(v) - 0.82f) / 0.05f, 2.0f));
            float a = ends * (body * 0.55f + lines * 0.45f + std::exp(-v * v * 4) * 0.25f);
            if (x < 1 || y < 1 || x >= W - 1 || y >= H - 1) a = 0;
            Rgba c = mixRgba(rgb(150, 200, 255), rgb(245, 252, 255), lines + std::exp(-v * v * 6) * 0.4f);
            img.set(x, y, Rgba{c.r, c.g, c.b, clamp01(a)});
        }
    return img;
}

Image makeRoundBadge(Rgba colour, const std::function<void(Image&, float, float, float)>& symbol) {
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f, r = S * 0.44f;
    Box b = fullBox(img);
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, c + 1, c + 3, r); }, Rgba{0, 0, 0, 0.45f}, b, 4.0f);
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, c, c, r); },
              [=](float, float y) { return mixRgba(lighten(colour, 0.25f), darken(colour, 0.65f), clamp01((y - c + r) / (2 * r))); }, b);
    fillShape(img, [=](float x, float y) { return sdRing(x, y, c, c, r - 2.5f, 2.5f); }, withAlpha(lighten(colour, 0.5f), 0.8f), b);
    symbol(img, c, c, r);
    // Glass sheen.
    fillShape(img, [=](float x, float y) { return std::max(sdCircle(x, y, c, c, r - 5), sdCircle(x, y, c, c - r * 0.9f, r * 1.1f)); },
              Rgba{1, 1, 1, 0.16f}, b);
    return img;
}

Image makeSocial(int kind) {
    if (kind == 0) {
        // Short messages: a speech bubble.
        return makeRoundBadge(rgb(40, 150, 230), [](Image& img, float c, float, float r) {
            Box b = fullBox(img);
            fillShape(img, [=](float x, float y) {
                float body = sdRoundBox(x, y, c, c - r * 0.08f, r * 0.55f, r * 0.38f, r * 0.2f);
                std::vector<float> tail = {c - r * 0.3f, c + r * 0.2f, c - r * 0.05f, c + r * 0.25f, c - r * 0.38f, c + r * 0.55f};
                return std::min(body, sdPolygon(x, y, tail));
            }, rgb(255, 255, 255), b);
            for (int i = -1; i <= 1; ++i)
                fillShape(img, [=](float x, float y) { return sdCircle(x, y, c + i * r * 0.25f, c - r * 0.08f, r * 0.08f); }, rgb(40, 150, 230), b);
        });
    }
    if (kind == 1) {
        // Friends: two figures.
        return makeRoundBadge(rgb(60, 80, 190), [](Image& img, float c, float, float r) {
            Box b = fullBox(img);
            for (int k = 0; k < 2; ++k) {
                float ox = c + (k == 0 ? -r * 0.22f : r * 0.2f), s = k == 0 ? 0.85f : 1.0f;
                Rgba col = k == 0 ? rgb(190, 205, 255) : rgb(255, 255, 255);
                fillShape(img, [=](float x, float y) { return sdCircle(x, y, ox, c - r * 0.22f * s, r * 0.2f * s); }, col, b);
                fillShape(img, [=](float x, float y) {
                    return std::max(sdCircle(x, y, ox, c + r * 0.5f, r * 0.42f * s), y - (c + r * 0.5f));
                }, col, b);
            }
        });
    }
    if (kind == 2) {
        // Feedback and support: a question mark.
        return makeRoundBadge(rgb(240, 140, 30), [](Image& img, float c, float, float r) {
            TextLook t;
            t.size = r * 1.3f;
            t.shadowBlur = 2;
            t.shadowDy = 2;
            drawText(img, "?", c, c + r * 0.45f, t, Align::Centre);
        });
    }
    // Steam rising from a cup.
    return makeRoundBadge(rgb(90, 96, 110), [](Image& img, float c, float, float r) {
        Box b = fullBox(img);
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c + r * 0.3f, r * 0.36f, r * 0.25f, r * 0.1f); }, rgb(240, 240, 245), b);
        fillShape(img, [=](float x, float y) { return sdRing(x, y, c + r * 0.4f, c + r * 0.28f, r * 0.12f, r * 0.05f); }, rgb(240, 240, 245), b);
        for (int i = -1; i <= 1; ++i)
            fillShape(img, [=](float x, float y) {
                float w = std::sin((y - c) / (r * 0.18f)) * r * 0.07f;
                float t = std::fabs(x - (c + i * r * 0.2f) - w) - r * 0.04f;
                return std::max(t, std::fabs(y - (c - r * 0.25f)) - r * 0.25f);
            }, rgb(255, 255, 255, 0.9f), b);
    });
}

Image makeTroll() {
    return makeRoundBadge(rgb(245, 200, 60), [](Image& img, float c, float, float r) {
        Box b = fullBox(img);
        Rgba ink = rgb(60, 36, 10);
        // Squinting eyes and a wide sly grin.
        fillShape(img, [=](float x, float y) { return sdArc(x, y, c - r * 0.32f, c - r * 0.12f, r * 0.16f, r * 0.05f, 280, 440); }, ink, b);
        fillShape(img, [=](float x, float y) { return sdArc(x, y, c + r * 0.32f, c - r * 0.12f, r * 0.16f, r * 0.05f, 280, 440); }, ink, b);
        fillShape(img, [=](float x, float y) {
            return std::max(sdCircle(x, y, c, c - r * 0.1f, r * 0.62f), (c + r * 0.12f) - y);
        }, ink, b);
        fillShape(img, [=](float x, float y) {
            return std::max(std::max(sdCircle(x, y, c, c - r * 0.1f, r * 0.55f), (c + r * 0.16f) - y), y - (c + r * 0.3f));
        }, rgb(255, 255, 255), b);
    });
}

Image makeWhite(int size) { return newImage(size, size, Rgba{1, 1, 1, 1}); }

// Powerup slot pieces (square, drawn at the same place, so the same rounded outline).
float slotField(float x, float y, float S) { return sdRoundBox(x, y, S / 2, S / 2, S / 2 - 3, S / 2 - 3, S * 0.14f); }

Image makeSlotBackground() {
    const int S = 128;
    Image img = newImage(S, S);
    float s = S;
    fillShape(img, [=](float x, float y) { return slotField(x, y, s); },
              [=](float, float y) { return mixRgba(rgb(18, 22, 40, 0.92f), rgb(34, 40, 66, 0.92f), y / s); }, fullBox(img));
    fillShape(img, [=](float x, float y) { return std::fabs(slotField(x, y, s)) - 1.5f; }, rgb(120, 150, 210, 0.9f), fullBox(img));
    // Inner shadow at the top.
    fillShape(img, [=](float x, float y) { return std::max(slotField(x, y, s) + 3, y - s * 0.25f); },
              [=](float, float y) { return Rgba{0, 0, 0, 0.35f * (1 - y / (s * 0.25f))}; }, fullBox(img));
    return img;
}

Image makeSlotFill(bool on) {
    const int S = 128;
    Image img = newImage(S, S);
    float s = S;
    Rgba lo = on ? rgb(255, 120, 20) : rgb(20, 110, 230), hi = on ? rgb(255, 235, 120) : rgb(90, 230, 255);
    fillShape(img, [=](float x, float y) { return slotField(x, y, s) + 3; },
              [=](float x, float y) {
                  float t = 1 - y / s;
                  Rgba c = mixRgba(hi, lo, t);
                  // Soft swirls of energy and a brighter core down the middle.
                  float swirl = (fbm(x / 26.0f, y / 18.0f, 4, on ? 41 : 42) - 0.5f) * 0.35f;
                  float core = std::exp(-std::pow((x - s / 2) / (s * 0.3f), 2.0f)) * 0.15f;
                  return Rgba{clamp01(c.r + swirl + core), clamp01(c.g + swirl + core), clamp01(c.b + swirl * 0.5f + core), 0.92f};
              },
              fullBox(img));
    return img;
}

Image makeSlotReflection() {
    const int S = 128;
    Image img = newImage(S, S);
    float s = S;
    fillShape(img, [=](float x, float y) { return std::max(slotField(x, y, s) + 4, y - (s * 0.45f - (x - s / 2) * 0.15f)); },
              [=](float, float y) { return Rgba{1, 1, 1, 0.32f * (1 - y / (s * 0.5f)) + 0.04f}; }, fullBox(img));
    fillShape(img, [=](float x, float y) { return std::fabs(slotField(x, y, s) + 1.5f) - 1.0f; },
              [=](float, float y) { return Rgba{1, 1, 1, 0.5f * (1 - y / s)}; }, fullBox(img));
    return img;
}

Image makePowerupIcon(int which) {
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f;
    Image shadowed = newImage(S, S);
    Rgba white = rgb(255, 255, 255);
    if (which == 0) drawMultiplier(img, c, c + 2, S * 0.62f, rgb(255, 240, 200));
    else if (which == 1) {
        drawClock(shadowed, c + 2, c + 4, S * 0.38f, Rgba{0, 0, 0, 0.7f});
        drawClock(shadowed, c, c, S * 0.38f, white);
        drawImage(img, shadowed, 0, 0);
    } else {
        drawAtom(shadowed, c + 2, c + 4, S * 0.38f, Rgba{0, 0, 0, 0.7f});
        drawAtom(shadowed, c, c, S * 0.38f, white);
        drawImage(img, shadowed, 0, 0);
    }
    return img;
}

Image makeNotice(int which) {
    const int W = 700, H = 143;
    Image img = newImage(W, H);
    Rgba accent = which == 0 ? rgb(255, 196, 40) : (which == 1 ? rgb(80, 200, 255) : rgb(200, 110, 255));
    drawGlowEllipse(img, W / 2.0f, H / 2.0f, W * 0.5f - 2, H * 0.5f - 2, withAlpha(accent, 0.35f));
    drawPanel(img, 24, 14, W - 24, H - 14, (H - 28) / 2.0f, rgb(20, 26, 54, 0.9f), rgb(8, 10, 26, 0.9f), accent, 3);
    float ic = 24 + (H - 28) / 2.0f + 4, icy = H / 2.0f;
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, ic, icy, 44); },
              [=](float, float y) { return mixRgba(lighten(accent, 0.2f), darken(accent, 0.55f), (y - icy + 44) / 88); }, fullBox(img));
    if (which == 0) drawMultiplier(img, ic, icy + 1, 56, rgb(255, 255, 255));
    else if (which == 1) drawClock(img, ic, icy, 34, rgb(255, 255, 255));
    else drawAtom(img, ic, icy, 34, rgb(255, 255, 255));
    const char* name = which == 0 ? "MULTIPLIER READY!" : (which == 1 ? "TIMEWARP READY!" : "FUSION PULSE READY!");
    const char* hint = which == 0 ? "Press 1 to triple the points of your clears"
                                  : (which == 1 ? "Press 2 to slow time to a crawl" : "Press 3 to melt the mass down to nothing");
    TextLook t = titleLook(46, rgb(255, 255, 255), lighten(accent, 0.2f));
    t.size = fitTextSize(ArtFont::SansBold, name, 46, W - 210);
    t.glow = 8;
    t.glowColour = withAlpha(accent, 0.4f);
    drawText(img, name, 140, 74, t, Align::Left);
    TextLook h = bodyLook(fitTextSize(ArtFont::Sans, hint, 22, W - 210));
    drawText(img, hint, 142, 108, h, Align::Left);
    return img;
}

Image makePopupWindow() {
    const int W = 1024, H = 512;
    Image img = newImage(W, H);
    drawPanel(img, 6, 6, W - 6, H - 6, 40, rgb(34, 48, 96, 0.96f), rgb(10, 14, 34, 0.96f), rgb(130, 190, 255), 5);
    // A faint grid inside, like the menus.
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, W / 2.0f, H / 2.0f, W / 2.0f - 24, H / 2.0f - 24, 24); },
              [=](float x, float y) {
                  float gx = std::fabs(std::fmod(x, 32.0f) - 16), gy = std::fabs(std::fmod(y, 32.0f) - 16);
                  float l = std::max(clamp01(16.6f - gx - 15), clamp01(16.6f - gy - 15));
                  return Rgba{0.5f, 0.75f, 1.0f, l * 0.07f};
              },
              fullBox(img));
    return img;
}

Image makeArrow(int dir) {  // 0 up, 1 down, 2 left, 3 right
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f;
    auto rot = [=](float x, float y, float& u, float& v) {
        float dx = x - c, dy = y - c;
        switch (dir) {
        case 0: u = dx; v = dy; break;
        case 1: u = -dx; v = -dy; break;
        case 2: u = -dy; v = dx; break;
        default: u = dy; v = -dx; break;
        }
    };
    auto arrow = [=](float x, float y) {
        float u, v;
        rot(x, y, u, v);
        std::vector<float> p = {0, -S * 0.36f, S * 0.36f, S * 0.04f, S * 0.14f, S * 0.04f, S * 0.14f, S * 0.34f,
                                -S * 0.14f, S * 0.34f, -S * 0.14f, S * 0.04f, -S * 0.36f, S * 0.04f};
        return sdPolygon(u, v, p) - S * 0.03f;
    };
    drawGlow(img, c, c, S * 0.48f, rgb(80, 170, 255, 0.35f));
    fillShape(img, [=](float x, float y) { return arrow(x, y) - 3; }, rgb(8, 20, 50, 0.85f), fullBox(img));
    fillShape(img, arrow, [=](float x, float y) { return mixRgba(rgb(240, 250, 255), rgb(110, 190, 255), clamp01((x + y) / (2.0f * S))); },
              fullBox(img));
    return img;
}

Image makeMouseIcon(int button) {
    Image img = newImage(128, 128);
    drawMouse(img, 64, 64, 110, button, rgb(70, 190, 255));
    return img;
}

Image makeEscKey() {
    Image img = newImage(128, 128);
    drawKeycap(img, 64, 62, 104, "Esc");
    return img;
}

Image makeGratz() {
    const int W = 1431, H = 188;
    Image img = newImage(W, H);
    // Gold banner text with light rays behind.
    drawGlowEllipse(img, W / 2.0f, H / 2.0f, W * 0.42f, H * 0.5f - 2, rgb(255, 200, 80, 0.45f));
    for (int i = 0; i < 2; ++i) {
        float side = i == 0 ? -1.0f : 1.0f;
        fillShape(img, [=](float x, float y) {
            return sdSegment(x, y, W / 2.0f + side * 560, H / 2.0f, W / 2.0f + side * 680, H / 2.0f, 3);
        }, rgb(255, 220, 120, 0.9f), fullBox(img));
        fillShape(img, [=](float x, float y) { return sdStar(x, y, W / 2.0f + side * 520, H / 2.0f, 22, 9, 4); },
                  rgb(255, 240, 180), fullBox(img));
        fillShape(img, [=](float x, float y) { return sdStar(x, y, W / 2.0f + side * 700, H / 2.0f, 14, 6, 4); },
                  rgb(255, 230, 160), fullBox(img));
    }
    TextLook t = titleLook(120, rgb(255, 250, 210), rgb(235, 150, 20));
    t.size = fitTextSize(ArtFont::SansBold, "Congratulations!", 120, 900);
    t.outline = 5;
    t.outlineColour = rgb(70, 30, 0, 0.95f);
    t.glow = 16;
    t.glowColour = rgb(255, 190, 60, 0.45f);
    drawText(img, "Congratulations!", W / 2.0f, H / 2.0f + t.size * 0.36f, t, Align::Centre);
    return img;
}

// ---------------------------------------------------------------------------------------------------------
// Tutorial pages: each one picture with its own words.

Image tutorialFrame(int W, int H, const std::string& title, Rgba accent) {
    Image img = newImage(W, H);
    drawPanel(img, 4, 3, W - 4, H - 6, 18, rgb(26, 36, 78, 0.95f), rgb(10, 14, 34, 0.95f), accent, 3);
    TextLook t = titleLook(30, rgb(255, 255, 255), lighten(accent, 0.3f));
    drawText(img, title, 20, 44, t, Align::Left);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, 20, 56, W - 20, 56, 1); }, withAlpha(accent, 0.6f), fullBox(img));
    return img;
}

struct Scheme {
    int turnButton, placeButton;
    const char* name;
    const char* turn;
    const char* place;
};

Scheme schemeOf(int flip) {
    if (flip == 1) return Scheme{2, 1, "Reversed buttons", "Hold the right button and drag to turn the mass.",
                                 "Click the left button on a block face to set your block there."};
    if (flip == 2) return Scheme{1, 1, "Single button", "Hold the left button and drag to turn the mass.",
                                 "A quick left click on a block face sets your block there."};
    return Scheme{1, 2, "Normal buttons", "Hold the left button and drag to turn the mass.",
                  "Click the right button on a block face to set your block there."};
}

Image makeControlsPage(int flip) {
    const int W = 628, H = 272;
    Scheme s = schemeOf(flip);
    Rgba accent = rgb(90, 180, 255);
    Image img = tutorialFrame(W, H, "Controls", accent);
    TextLook small = bodyLook(15);
    small.top = small.bottom = rgb(160, 190, 240);
    drawText(img, s.name, W - 20 - textWidth(small.font, s.name, small.size), 44, small, Align::Left);
    TextLook body = bodyLook(19);
    drawMouse(img, 52, 104, 62, s.turnButton, rgb(70, 190, 255));
    drawTurnArrows(img, 104, 104, 20, rgb(140, 210, 255));
    drawParagraph(img, s.turn, 140, 80, W - 160, body, Align::Left);
    drawMouse(img, 52, 182, 62, s.placeButton, rgb(255, 200, 60));
    Image face = blockFace(blockColour(2), false, BlockSymbol::None, 64);
    drawIsoCube(img, face, 104, 184, 40);
    drawParagraph(img, s.place, 140, 158, W - 160, body, Align::Left);
    TextLook foot = bodyLook(16);
    foot.top = foot.bottom = rgb(255, 226, 140);
    drawText(img, "Join four or more blocks of one colour to clear them.  Esc pauses.", W / 2.0f, H - 18, foot, Align::Centre);
    return img;
}

Image makeModePage(int mode, int flip) {  // 0 Rush, 1 Survival, 2 Meditation
    const int W = 628, H = 272;
    Scheme s = schemeOf(flip);
    Rgba accent = mode == 0 ? rgb(255, 110, 50) : (mode == 1 ? rgb(230, 50, 70) : rgb(140, 200, 255));
    const char* title = mode == 0 ? "Rush" : (mode == 1 ? "Survival" : "Meditation");
    const char* text =
        mode == 0 ? "Your score starts at 250,000 and loses 250 points every second while blocks remain. "
                    "Clear the whole mass as fast as you can: what is left is your score."
        : mode == 1 ? "Every group you clear throws new blocks back at the mass. When the countdown runs out a "
                      "Fusion Pulse fires for you. Hold out as long as you can."
                    : "No rush and no danger: the mass never grows. Set down 100 blocks and build the biggest "
                      "combos you can.";
    Image img = tutorialFrame(W, H, title, accent);
    drawParagraph(img, text, 20, 68, W - 170, bodyLook(18), Align::Left);
    // The mode's emblem on the right: the clock that drains the score, a life to hold on to, calm.
    float ex = W - 78.0f, ey = 124.0f, er = 50.0f;
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, ex, ey, er); },
              [=](float, float y) { return mixRgba(lighten(accent, 0.15f), darken(accent, 0.4f), clamp01((y - ey + er) / (2 * er))); },
              fullBox(img));
    fillShape(img, [=](float x, float y) { return sdRing(x, y, ex, ey, er - 2, 2); }, withAlpha(lighten(accent, 0.5f), 0.8f), fullBox(img));
    if (mode == 0) {
        drawClock(img, ex, ey, er * 0.72f, rgb(255, 255, 255));
    } else {
        TextLook g;
        g.size = mode == 1 ? 62 : 66;
        g.shadowBlur = 2;
        g.shadowDy = 2;
        drawText(img, mode == 1 ? "\u2665" : "\u262F", ex, ey + g.size * 0.36f, g, Align::Centre);
    }
    // Controls strip along the bottom.
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, W / 2.0f, 222, W / 2.0f - 14, 34, 10); }, rgb(0, 0, 0, 0.3f), fullBox(img));
    drawMouse(img, 40, 222, 54, s.turnButton, rgb(70, 190, 255));
    TextLook body = bodyLook(16);
    const char* turn = s.turnButton == 1 ? "Hold left, drag: turn" : "Hold right, drag: turn";
    const char* place = flip == 2 ? "Quick left click: place" : (s.placeButton == 1 ? "Left click: place" : "Right click: place");
    drawText(img, turn, 68, 228, body, Align::Left);
    drawMouse(img, W / 2.0f + 26, 222, 54, s.placeButton, rgb(255, 200, 60));
    drawText(img, place, W / 2.0f + 54, 228, body, Align::Left);
    return img;
}

Image makePowerupTutorial() {
    const int W = 482, H = 231;
    Rgba accent = rgb(255, 196, 40);
    Image img = tutorialFrame(W, H, "Powerups", accent);
    drawParagraph(img, "Your meter is charged! Press 1, 2 or 3, or click a slot below, to fire the Multiplier, "
                       "Timewarp or Fusion Pulse.",
                  20, 64, W - 40, bodyLook(17), Align::Left);
    Image icons[3] = {makePowerupIcon(0), makePowerupIcon(1), makePowerupIcon(2)};
    Image bg = makeSlotBackground(), fill = makeSlotFill(false);
    for (int i = 0; i < 3; ++i) {
        int x = 24 + i * 62, y = 160;
        Image slot = resizeImage(bg, 52, 52);
        drawImage(img, slot, x, y);
        drawImage(img, resizeImage(fill, 52, 52), x, y);
        drawImage(img, resizeImage(icons[i], 52, 52), x, y);
        TextLook k = bodyLook(14);
        drawText(img, std::to_string(i + 1), x + 26.0f, y - 4.0f, k, Align::Centre);
    }
    // Arrow down towards the panel under this page.
    fillShape(img, [=](float x, float y) {
        std::vector<float> p = {W - 70.0f, 170, W - 40.0f, 170, W - 55.0f, 205};
        return std::min(sdPolygon(x, y, p), sdSegment(x, y, W - 55.0f, 150, W - 55.0f, 175, 6));
    }, accent, fullBox(img));
    return img;
}

Image makeCritTutorial() {
    const int W = 482, H = 231;
    Rgba accent = rgb(255, 70, 60);
    Image img = tutorialFrame(W, H, "Critical Mass!", accent);
    drawWarningSign(img, 74, 142, 84);
    drawParagraph(img, "The mass is close to its limit. Clear groups quickly, or fire a Fusion Pulse, "
                       "before it explodes and the level starts over.",
                  140, 66, W - 160, bodyLook(18), Align::Left);
    return img;
}

Image makeComboTutorial(bool now) {
    const int W = 498, H = 214;
    Rgba accent = now ? rgb(120, 230, 120) : rgb(255, 160, 60);
    Image img = tutorialFrame(W, H, now ? "Make a Match" : "Combo!", accent);
    const char* text = now ? "Set your block beside blocks of the same colour. Four or more joined blocks vanish. "
                             "Each block placed without a clear adds mass."
                           : "Each block of a clearing group counts up your combo. Bigger groups make bigger "
                             "combos and more points.";
    drawParagraph(img, text, 20, 64, W - 190, bodyLook(17), Align::Left);
    Image face = blockFace(blockColour(now ? 7 : 4), false, BlockSymbol::None, 64);
    // A little group of cubes on the right.
    float bx = W - 100.0f, by = 150.0f;
    const int layout[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    // Back to front, so nearer cubes cover farther ones.
    for (int i = 0; i < 4; ++i) {
        float x = bx + (layout[i][0] - layout[i][1]) * 22.5f, y = by - 34 + (layout[i][0] + layout[i][1]) * 13.0f;
        drawIsoCube(img, face, x, y, 52);
    }
    TextLook big = titleLook(34, rgb(255, 255, 255), lighten(accent, 0.2f));
    drawText(img, now ? "4+" : "4x", W - 52.0f, 104, big, Align::Centre);
    return img;
}

Image makeColourTutorial() {
    const int W = 498, H = 214;
    Rgba accent = rgb(240, 92, 196);
    Image img = tutorialFrame(W, H, "Your Colour", accent);
    drawParagraph(img, "The spinning cube in the corner shows the colour you carry. Your pointer takes the same "
                       "colour: set it down where it joins its own kind.",
                  20, 64, W - 180, bodyLook(17), Align::Left);
    Image face = blockFace(blockColour(5), false, BlockSymbol::None, 64);
    drawIsoCube(img, face, W - 110.0f, 130, 80);
    Image cursor = resizeImage(makeCursor(5), 56, 56);
    drawImage(img, cursor, W - 70, 140);
    return img;
}

// ---------------------------------------------------------------------------------------------------------
// Achievements

Image makeAchievementCard() {
    const int W = 948, H = 284;  // twice the 474 x 142 layout grid
    Image img = newImage(W, H);
    drawPanel(img, 6, 5, W - 6, H - 8, 30, rgb(36, 50, 96, 0.95f), rgb(12, 16, 38, 0.95f), rgb(140, 190, 255), 4);
    // Icon well: 86 x 85 at (31, 29) on the grid.
    float x0 = 62, y0 = 58, x1 = 62 + 172, y1 = 58 + 170;
    // A soft light behind the well lifts the icon off the card.
    drawGlowEllipse(img, (x0 + x1) / 2, (y0 + y1) / 2, 150, 128, rgb(90, 160, 255, 0.3f));
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 + 8, (y1 - y0) / 2 + 8, 18); },
              rgb(4, 6, 16, 0.8f), fullBox(img));
    fillShape(img, [=](float x, float y) { return std::fabs(sdRoundBox(x, y, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 + 8, (y1 - y0) / 2 + 8, 18)) - 1.5f; },
              rgb(120, 170, 240, 0.7f), fullBox(img));
    // Separator between title and description: below the title's descenders (its baseline is grid row
    // 50) and above the description's first line (up to row 60).
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, 260, 114, W - 60, 114, 1.2f); }, rgb(140, 190, 255, 0.35f), fullBox(img));
    return img;
}

struct Emblem {
    const char* name;
    Rgba colour;
    int kind;  // 0 glyph text, 1 chevrons, 2 cube, 3 padlock, 4 void, 5 bars, 6 no-turn, 7 shield, 8 arcade button
    const char* text;
    int count;
};

Image makeEmblem(const Emblem& e) {
    const int S = 128;
    Image img = newImage(S, S);
    float c = S / 2.0f, r = S * 0.44f;
    Rgba col = e.colour;
    Box b = fullBox(img);
    // Badge: a faceted octagon, metallic rim, coloured field.
    auto oct = [=](float x, float y, float rr) {
        float dx = std::fabs(x - c), dy = std::fabs(y - c);
        return std::max(std::max(dx, dy), (dx + dy) * 0.7071f) - rr;
    };
    fillShape(img, [=](float x, float y) { return oct(x - 1, y - 3, r); }, Rgba{0, 0, 0, 0.5f}, b, 4.0f);
    fillShape(img, [=](float x, float y) { return oct(x, y, r); },
              [=](float x, float y) { return mixRgba(rgb(240, 240, 250), rgb(90, 96, 120), clamp01((x + y) / (2.0f * S))); }, b);
    fillShape(img, [=](float x, float y) { return oct(x, y, r - 6); },
              [=](float x, float y) {
                  float d = std::hypot(x - c * 0.8f, y - c * 0.7f) / r;
                  return mixRgba(lighten(col, 0.3f), darken(col, 0.45f), clamp01(d * 0.8f));
              }, b);
    Rgba ink = rgb(255, 252, 240);
    switch (e.kind) {
    case 0: {
        TextLook t;
        t.font = ArtFont::SansBold;
        t.size = fitTextSize(ArtFont::SansBold, e.text, float(e.count), S * 0.66f);
        t.top = ink;
        t.bottom = lighten(col, 0.55f);
        t.outline = 2.5f;
        t.outlineColour = withAlpha(darken(col, 0.3f), 0.95f);
        t.shadowBlur = 2;
        t.shadowDy = 3;
        drawText(img, e.text, c, c + t.size * 0.36f, t, Align::Centre);
        break;
    }
    case 1:
        drawChevrons(img, c + 1, c + 3, S * 0.5f, e.count, Rgba{0, 0, 0, 0.5f});
        drawChevrons(img, c, c, S * 0.5f, e.count, ink);
        if (e.text[0]) {
            TextLook t = bodyLook(18);
            t.font = ArtFont::SansBold;
            drawText(img, e.text, c, c + S * 0.36f, t, Align::Centre);
        }
        break;
    case 2: {
        Image face = blockFace(rgb(60, 200, 230), true, BlockSymbol::None, 64);
        drawIsoCube(img, face, c, c + 2, S * 0.56f);
        break;
    }
    case 3:
        drawPadlock(img, c, c, S * 0.62f, rgb(190, 196, 210));
        break;
    case 4: {
        // Into the void: a black hole with a glowing disc.
        fillShape(img, [=](float x, float y) {
            float dx = x - c, dy = (y - c) / 0.35f;
            return std::fabs(std::hypot(dx, dy) - S * 0.3f) - S * 0.05f;
        }, rgb(255, 190, 120, 0.9f), b, 3.0f);
        fillShape(img, [=](float x, float y) { return sdCircle(x, y, c, c, S * 0.17f); }, rgb(0, 0, 0), b);
        fillShape(img, [=](float x, float y) { return sdRing(x, y, c, c, S * 0.18f, 1.5f); }, rgb(255, 220, 170, 0.9f), b);
        fillShape(img, [=](float x, float y) {
            float dx = x - c, dy = (y - c) / 0.35f;
            return std::max(std::fabs(std::hypot(dx, dy) - S * 0.3f) - S * 0.05f, c - y);
        }, rgb(255, 200, 130, 0.95f), b, 3.0f);
        break;
    }
    case 5: {
        // Personal growth: rising bars and an arrow.
        for (int i = 0; i < 3; ++i) {
            float h = S * (0.16f + 0.12f * i);
            float x = c - S * 0.2f + i * S * 0.2f;
            fillShape(img, [=](float px, float py) { return sdRoundBox(px, py, x, c + S * 0.24f - h / 2, S * 0.07f, h / 2, 2); }, ink, b);
        }
        fillShape(img, [=](float x, float y) { return sdSegment(x, y, c - S * 0.28f, c + S * 0.02f, c + S * 0.2f, c - S * 0.26f, 3.5f); },
                  rgb(255, 230, 90), b);
        fillShape(img, [=](float x, float y) {
            std::vector<float> p = {c + S * 0.28f, c - S * 0.32f, c + S * 0.1f, c - S * 0.3f, c + S * 0.25f, c - S * 0.14f};
            return sdPolygon(x, y, p);
        }, rgb(255, 230, 90), b);
        break;
    }
    case 6:
        // Hold still: turning arrows struck through.
        drawTurnArrows(img, c, c, S * 0.24f, ink);
        fillShape(img, [=](float x, float y) { return sdSegment(x, y, c - S * 0.3f, c - S * 0.3f, c + S * 0.3f, c + S * 0.3f, 5); },
                  rgb(255, 80, 70), b);
        break;
    case 7: {
        // Survivalist: a shield with the time to beat.
        fillShape(img, [=](float x, float y) {
            std::vector<float> p = {c - S * 0.26f, c - S * 0.28f, c + S * 0.26f, c - S * 0.28f, c + S * 0.24f, c + S * 0.02f,
                                    c, c + S * 0.32f, c - S * 0.24f, c + S * 0.02f};
            return sdPolygon(x, y, p);
        }, [=](float, float y) { return mixRgba(rgb(240, 240, 250), rgb(160, 170, 190), clamp01((y - c + S * 0.3f) / (S * 0.6f))); }, b);
        TextLook t = bodyLook(22);
        t.font = ArtFont::SansBold;
        t.top = t.bottom = darken(col, 0.6f);
        t.shadowBlur = 0;
        t.shadowDy = 0;
        drawText(img, e.text, c, c + 6, t, Align::Centre);
        break;
    }
    case 8: {
        // Button masher: a big arcade button.
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c + S * 0.12f, S * 0.3f, S * 0.1f, S * 0.1f); }, rgb(40, 40, 50), b);
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c + S * 0.02f, S * 0.24f, S * 0.12f, S * 0.12f); }, rgb(150, 20, 20), b);
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c - S * 0.04f, S * 0.24f, S * 0.1f, S * 0.1f); },
                  [=](float, float y) { return mixRgba(rgb(255, 120, 110), rgb(220, 30, 30), clamp01((y - c + S * 0.14f) / (S * 0.2f))); }, b);
        TextLook t = bodyLook(20);
        t.font = ArtFont::SansBold;
        drawText(img, "#1", c, c - S * 0.2f, t, Align::Centre);
        break;
    }
    default:
        break;
    }
    // Sheen across the upper half of the badge.
    fillShape(img, [=](float x, float y) { return std::max(oct(x, y, r - 7), y - (c - S * 0.05f) + (x - c) * 0.2f); },
              Rgba{1, 1, 1, 0.14f}, b);
    return img;
}

const Emblem kEmblems[] = {
    {"achi-lastmanstanding.tga", rgb(170, 40, 50), 0, "\u265F", 80},  // a lone piece
    {"achi-youvegotredonyou.tga", rgb(200, 20, 30), 0, "\u2620", 78},
    {"achi-survivalist.tga", rgb(150, 40, 40), 7, "5:00", 0},
    {"achi-enlightenment.tga", rgb(240, 170, 40), 0, "\u2600", 84},
    {"achi-intothevoid.tga", rgb(40, 30, 80), 4, "", 0},
    {"achi-buttonmasher.tga", rgb(230, 110, 30), 8, "", 0},
    {"achi-killstreak.tga", rgb(210, 80, 20), 0, "\u26A1", 84},
    {"achi-quorvane.tga", rgb(40, 110, 200), 0, "80+", 56},
    {"achi-classicallytrained.tga", rgb(40, 80, 170), 0, "#1", 64},
    {"achi-betatester.tga", rgb(60, 140, 120), 0, "\u03B2", 80},
    {"achi-elitist.tga", rgb(90, 40, 160), 0, "\u25C6", 76},
    {"achi-ambidextrous.tga", rgb(30, 140, 170), 0, "\u21C4", 80},
    {"achi-quicksave.tga", rgb(200, 60, 140), 0, "90%", 50},
    {"achi-holdstill.tga", rgb(70, 90, 120), 6, "", 0},
    {"achi-vexallyinsane.tga", rgb(190, 30, 40), 1, "20m", 3},
    {"achi-vexalexpert.tga", rgb(200, 150, 30), 1, "", 3},
    {"achi-vexalmaster.tga", rgb(140, 150, 170), 1, "20m", 2},
    {"achi-vexalpro.tga", rgb(170, 100, 50), 1, "", 1},
    {"achi-learnedtoplay.tga", rgb(50, 160, 70), 0, "\u2713", 84},
    {"achi-massaddict.tga", rgb(60, 70, 180), 0, "100h", 48},
    {"achi-tessarine.tga", rgb(20, 120, 160), 2, "", 0},
    {"achi-legendary.tga", rgb(170, 120, 20), 0, "\u265B", 80},
    {"achi-epic.tga", rgb(230, 150, 20), 0, "\u2605", 86},
    {"achi-personalgrowth.tga", rgb(40, 150, 90), 5, "", 0},
    {"achi-chainreaction.tga", rgb(220, 100, 30), 0, "13x", 54},
    {"achi-lightheaded.tga", rgb(130, 60, 190), 0, "\u21BB", 86},
    {"achi-zenmaster.tga", rgb(60, 120, 140), 0, "\u262F", 84},
};


// Tiles of the block powerups.
Image makePowerupTile(int kind) {
    const int S = 256;
    Image img = newImage(S, S);
    float c = S / 2.0f;
    Box b = fullBox(img);
    if (kind == 1) {
        // Bomb: a dark sphere with a lit fuse.
        drawGlow(img, c + 52, c - 84, 50, rgb(255, 200, 80, 0.8f));
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c + 28, c - 62, 16, 12, 4); }, rgb(90, 90, 100), b);
        fillShape(img, [=](float x, float y) { return sdArc(x, y, c + 58, c - 62, 22, 4, 270, 360); }, rgb(200, 170, 120), b);
        fillShape(img, [=](float x, float y) { return sdCircle(x, y, c - 6, c + 14, 78); },
                  [=](float x, float y) {
                      float d = std::hypot(x - (c - 36), y - (c - 18)) / 120.0f;
                      return mixRgba(rgb(120, 124, 140), rgb(14, 14, 20), clamp01(d));
                  }, b);
        fillShape(img, [=](float x, float y) { return sdStar(x, y, c + 58, c - 86, 22, 7, 8); }, rgb(255, 250, 210), b);
    } else if (kind == 2) {
        // Buster: a cube bursting apart.
        drawGlow(img, c, c, 120, rgb(255, 140, 40, 0.7f));
        fillShape(img, [=](float x, float y) { return sdStar(x, y, c, c, 112, 52, 12, 7); },
                  [=](float x, float y) { return mixRgba(rgb(255, 240, 160), rgb(240, 90, 20), clamp01(std::hypot(x - c, y - c) / 110.0f)); }, b);
        Image face = blockFace(blockColour(3), true, BlockSymbol::None, 64);
        Rng rng(4242);
        for (int i = 0; i < 5; ++i) {
            float a = i * 2 * kPi / 5 + 0.3f, r = 70;
            drawIsoCube(img, face, c + std::cos(a) * r, c + std::sin(a) * r, rng.range(30, 44));
        }
        TextLook t = titleLook(96, rgb(255, 255, 255), rgb(255, 210, 120));
        drawText(img, "!", c, c + 34, t, Align::Centre);
    } else {
        // Drill: a steel bit pointing down, grooves spiralling.
        std::vector<float> bit = {c - 58, c - 52, c + 58, c - 52, c, c + 112};
        fillShape(img, [=](float x, float y) { return sdPolygon(x, y, bit); },
                  [=](float x, float y) {
                      float u = (x - c) / 60.0f;
                      float groove = 0.5f + 0.5f * std::sin((y * 0.12f) + u * 3.0f);
                      Rgba m = mixRgba(rgb(230, 236, 246), rgb(110, 118, 136), clamp01(u * 0.5f + 0.5f));
                      return scaleRgb(m, 0.7f + 0.3f * groove);
                  }, b);
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c - 76, 64, 26, 8); },
                  [=](float, float y) { return mixRgba(rgb(255, 200, 60), rgb(200, 110, 20), clamp01((y - (c - 102)) / 52)); }, b);
        fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, c, c - 112, 22, 14, 4); }, rgb(90, 96, 110), b);
    }
    return img;
}

// ---------------------------------------------------------------------------------------------------------
// What each texture looks like, by name; the names and their order are the pack's
// (engine/texture_names.h).

struct TextureJob {
    std::string name;
    std::function<Image()> make;
};

std::vector<TextureJob> textureJobs() {
    std::vector<TextureJob> j;
    auto add = [&](const std::string& n, std::function<Image()> f) { j.push_back(TextureJob{n, std::move(f)}); };
    add("voderivozudid.tga", makeMakerTitle);
    add("background1.tga", [] { return makeBackdrop(backdropLook(1)); });
    add("whiteparticle.tga", [] { return makeParticle(rgb(255, 255, 255)); });
    add("titlegrid.tga", makeTitleGrid);
    add("newswindow.tga", makeNewsWindow);
    add("tessarinelogo.tga", makeLogo);
    add("loadingbar.tga", makeSpinner);
    add("cursor.tga", [] { return makeCursor(0); });
    add("cursor_blue.tga", [] { return makeCursor(2); });
    add("cursor_red.tga", [] { return makeCursor(3); });
    add("cursor_yellow.tga", [] { return makeCursor(1); });
    add("cursor_orange.tga", [] { return makeCursor(4); });
    add("cursor_green.tga", [] { return makeCursor(7); });
    add("cursor_pink.tga", [] { return makeCursor(5); });
    add("menuonoff.tga", makeHighlightBar);
    add("social-twitter.tga", [] { return makeSocial(0); });
    add("social-facebook.tga", [] { return makeSocial(1); });
    add("social-tsg.tga", [] { return makeSocial(2); });
    add("steamicon.tga", [] { return makeSocial(3); });
    const char* order[6] = {"red", "pink", "orange", "green", "yellow", "blue"};
    for (int v = 0; v < 4; ++v)
        for (const char* c : order) {
            bool lit = v == 1 || v == 3, cb = v >= 2;
            std::string name = std::string(c) + (lit ? "H" : "") + (cb ? "CB" : "") + ".tga";
            add(name, [=] { return makeBlock(c, lit, cb); });
        }
    add("trollface.tga", makeTroll);
    add("grey.tga", [] { return makeBlock("grey", false, false); });
    add("wpixel.tga", [] { return makeWhite(8); });
    add("pixel.tga", [] { return makeWhite(8); });
    add("pinkparticle.tga", [] { return makeParticle(blockColour(5)); });
    add("redparticle.tga", [] { return makeParticle(blockColour(3)); });
    add("orangeparticle.tga", [] { return makeParticle(blockColour(4)); });
    add("greenparticle.tga", [] { return makeParticle(blockColour(7)); });
    add("yellowparticle.tga", [] { return makeParticle(blockColour(1)); });
    add("blueparticle.tga", [] { return makeParticle(lighten(blockColour(2), 0.15f)); });
    add("masswarning.tga", [] { return makeEdgeOverlay(rgb(200, 10, 10), rgb(255, 120, 40), 5150, true); });
    add("gratz.tga", makeGratz);
    add("powerupbg.tga", makeSlotBackground);
    add("powerupcolor.tga", [] { return makeSlotFill(false); });
    add("powerupcolor-on.tga", [] { return makeSlotFill(true); });
    add("powerupreflection.tga", makeSlotReflection);
    add("pupnukeicon.tga", [] { return makePowerupIcon(2); });
    add("puptimeicon.tga", [] { return makePowerupIcon(1); });
    add("pupmultiicon.tga", [] { return makePowerupIcon(0); });
    add("multinoty.tga", [] { return makeNotice(0); });
    add("timenoty.tga", [] { return makeNotice(1); });
    add("fusionnoty.tga", [] { return makeNotice(2); });
    add("cooldownedges.tga", [] { return makeEdgeOverlay(rgb(40, 160, 255), rgb(200, 240, 255), 6160, false); });
    add("deathsplosion.tga", makeDeathsplosion);
    add("powerupglow.tga", makePowerupGlow);
    add("popupwindow.tga", makePopupWindow);
    add("leftmouse.tga", [] { return makeMouseIcon(1); });
    add("rightmouse.tga", [] { return makeMouseIcon(2); });
    add("escbutton.tga", makeEscKey);
    add("arrowup.tga", [] { return makeArrow(0); });
    add("arrowdown.tga", [] { return makeArrow(1); });
    add("arrowleft.tga", [] { return makeArrow(2); });
    add("arrowright.tga", [] { return makeArrow(3); });
    add("tute-pup.tga", makePowerupTutorial);
    add("tute-combo.tga", [] { return makeComboTutorial(false); });
    add("tute-combonow.tga", [] { return makeComboTutorial(true); });
    add("tute-color.tga", makeColourTutorial);
    add("tute-crit.tga", makeCritTutorial);
    const char* modes[4] = {"control", "rush", "surv", "med"};
    for (int m = 0; m < 4; ++m) {
        const char* suffix[3] = {"", "-rev", "-single"};
        for (int f = 0; f < 3; ++f) {
            std::string name = std::string("tute-") + modes[m] + suffix[f] + ".tga";
            if (m == 0) add(name, [=] { return makeControlsPage(f); });
            else add(name, [=] { return makeModePage(m - 1, f); });
        }
    }
    add("achi-bg.tga", makeAchievementCard);
    add("achi-locked.tga", [] { return makeEmblem(Emblem{"achi-locked.tga", rgb(70, 74, 90), 3, "", 0}); });
    for (const Emblem& e : kEmblems) add(e.name, [e] { return makeEmblem(e); });
    for (int n = 2; n <= 10; ++n) add("background" + std::to_string(n) + ".tga", [n] { return makeBackdrop(backdropLook(n)); });
    const int tiles[7] = {1, 2, 3, 4, 5, 6, 7};
    for (int c : tiles) add(std::string(kColourNames[c]) + "cube.tga", [c] { return makeCubeTile(c); });
    add("bomb.tga", [] { return makePowerupTile(1); });
    add("buster.tga", [] { return makePowerupTile(2); });
    add("drill.tga", [] { return makePowerupTile(3); });
    return j;
}

}  // namespace

// The atlas insets every chunk by one texel but linear filtering still reads the outer ring: it is made
// clear in every image with alpha, except the full-screen overlays whose colour runs to the screen's edge.
static void clearOuterRing(Image& img) {
    for (int x = 0; x < img.width; ++x) {
        img.set(x, 0, withAlpha(img.get(x, 0), 0));
        img.set(x, img.height - 1, withAlpha(img.get(x, img.height - 1), 0));
    }
    for (int y = 0; y < img.height; ++y) {
        img.set(0, y, withAlpha(img.get(0, y), 0));
        img.set(img.width - 1, y, withAlpha(img.get(img.width - 1, y), 0));
    }
}

static bool outerRingClear(const Image& img) {
    for (int x = 0; x < img.width; ++x)
        if (img.get(x, 0).a > 0 || img.get(x, img.height - 1).a > 0) return false;
    for (int y = 0; y < img.height; ++y)
        if (img.get(0, y).a > 0 || img.get(img.width - 1, y).a > 0) return false;
    return true;
}

static Image drawTexture(const TextureJob& job) {
    Image img = job.make();
    if (isOpaque(img) || job.name == "masswarning.tga" || job.name == "cooldownedges.tga") return img;
    clearOuterRing(img);
    return img;
}

std::vector<std::string> drawnTextureNames() {
    std::vector<std::string> names;
    for (const TextureJob& j : textureJobs()) names.push_back(j.name);
    return names;
}

bool renderTexture(const std::string& name, Image& out) {
    for (const TextureJob& j : textureJobs())
        if (j.name == name) {
            out = drawTexture(j);
            return true;
        }
    return false;
}

Image smallCopy(const Image& full) {
    int w = std::max(4, full.width / 2), h = std::max(4, full.height / 2);
    if (w > 1024 || h > 1024) {
        float k = 1024.0f / float(std::max(w, h));
        w = std::max(4, int(std::lround(w * k)));
        h = std::max(4, int(std::lround(h * k)));
    }
    Image small = resizeImage(full, w, h);
    // Averaging pulls the second ring's alpha outwards: keep a clear edge clear.
    if (outerRingClear(full)) clearOuterRing(small);
    return small;
}

std::vector<unsigned char> textureFile(const Image& img) { return encodeTga(img, !isOpaque(img)); }

void generateTextures(std::vector<PackAsset>& out) {
    if (!artFontAvailable(ArtFont::SansBold) || !artFontAvailable(ArtFont::Sans)) {
        std::fprintf(stderr, "ts_packer: the DejaVu fonts are missing from %s (Debian package fonts-dejavu-core)\n",
                     artFontDir().c_str());
        std::exit(1);
    }
    const std::vector<TextureJob> art = textureJobs();
    std::vector<TextureJob> jobs;
    for (const std::string& name : packTextureNames()) {
        auto job = std::find_if(art.begin(), art.end(), [&](const TextureJob& j) { return j.name == name; });
        if (job == art.end()) {
            std::fprintf(stderr, "ts_packer: no art for the texture %s\n", name.c_str());
            std::exit(1);
        }
        jobs.push_back(*job);
    }
    std::vector<std::vector<unsigned char>> full(jobs.size()), small(jobs.size());
    // The images are independent: draw them on all cores. Each result lands in its own slot, so the
    // pack's bytes do not depend on which thread finished first.
    // The backdrops take longest: start them first so no thread is left with one at the end.
    std::vector<size_t> order;
    for (size_t i = 0; i < jobs.size(); ++i)
        if (jobs[i].name.compare(0, 10, "background") == 0) order.push_back(i);
    for (size_t i = 0; i < jobs.size(); ++i)
        if (jobs[i].name.compare(0, 10, "background") != 0) order.push_back(i);
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t k = next++; k < order.size(); k = next++) {
            size_t i = order[k];
            Image img = drawTexture(jobs[i]);
            full[i] = textureFile(img);
            small[i] = textureFile(smallCopy(img));
        }
    };
    unsigned n = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < n; ++t) threads.emplace_back(worker);
    worker();
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < jobs.size(); ++i) out.push_back(PackAsset{"textures\\" + jobs[i].name, std::move(full[i])});
    for (size_t i = 0; i < jobs.size(); ++i)
        out.push_back(PackAsset{"textures\\small\\" + jobs[i].name, std::move(small[i])});
}
