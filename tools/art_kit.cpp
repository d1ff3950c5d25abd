#include "tools/art_kit.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {
const float kPi = 3.14159265358979f;

Rgba lighten(Rgba c, float t) { return mixRgba(c, Rgba{1, 1, 1, c.a}, t); }
Rgba darken(Rgba c, float k) { return Rgba{c.r * k, c.g * k, c.b * k, c.a}; }
}  // namespace

Rgba blockColour(int colour) {
    switch (colour) {
    case 1: return rgb(250, 208, 30);
    case 2: return rgb(38, 118, 240);
    case 3: return rgb(226, 36, 44);
    case 4: return rgb(250, 128, 20);
    case 5: return rgb(240, 92, 196);
    case 6: return rgb(150, 154, 162);
    case 7: return rgb(46, 196, 74);
    default: return rgb(255, 255, 255);
    }
}

float drawText(Image& img, const std::string& text, float x, float y, const TextLook& look, Align align) {
    int pad = int(std::ceil(std::max({look.outline, look.shadowBlur * 2.0f + std::max(std::fabs(look.shadowDx),
                                                                                         std::fabs(look.shadowDy)),
                                       look.glow * 2.0f}))) + 2;
    float base = 0;
    Mask m = textMask(look.font, text, look.size, pad, &base);
    float adv = textWidth(look.font, text, look.size);
    float left = align == Align::Centre ? x - adv / 2.0f : x;
    int dx = int(std::lround(left - (m.width - adv) / 2.0f));
    int dy = int(std::lround(y - base));
    Mask solid = look.outline > 0 ? dilateMask(m, int(std::ceil(look.outline))) : m;
    if (look.glow > 0) {
        Mask g = dilateMask(m, std::max(1, int(look.glow / 3)));
        blurMask(g, look.glow);
        addMask(img, g, look.glowColour, dx, dy);
    }
    if (look.shadowBlur > 0 || look.shadowDx != 0 || look.shadowDy != 0) {
        Mask s = solid;
        blurMask(s, look.shadowBlur);
        fillMask(img, s, look.shadowColour, dx + int(std::lround(look.shadowDx)), dy + int(std::lround(look.shadowDy)));
    }
    if (look.outline > 0) fillMask(img, solid, look.outlineColour, dx, dy);
    float capTop = y - look.size * 0.74f, capH = look.size * 0.74f;
    Rgba top = look.top, bottom = look.bottom;
    fillMask(img, m, [=](float, float py) { return mixRgba(top, bottom, clamp01((py - capTop) / capH)); }, dx, dy);
    return adv;
}

float drawParagraph(Image& img, const std::string& text, float x, float yTop, float maxWidth, const TextLook& look,
                    Align align, float lineSpacing) {
    float lh = look.size * lineSpacing;
    float y = yTop + look.size * 0.95f;
    std::stringstream in(text);
    std::string para;
    bool first = true;
    while (std::getline(in, para, '\n')) {
        if (!first) y += lh * 0.3f;
        first = false;
        for (const std::string& line : wrapWords(look.font, para, look.size, maxWidth)) {
            drawText(img, line, x, y, look, align);
            y += lh;
        }
    }
    return y - look.size * 0.95f;
}

void drawPanel(Image& img, float x0, float y0, float x1, float y1, float radius, Rgba fillTop, Rgba fillBottom,
               Rgba border, float borderWidth) {
    float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hw = (x1 - x0) / 2, hh = (y1 - y0) / 2;
    Box box{int(x0) - 2, int(y0) - 2, int(x1) + 2, int(y1) + 2};
    // Soft drop shadow under the panel.
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy + 2, hw - 1, hh - 1, radius); }, Rgba{0, 0, 0, 0.35f},
              Box{box.x0, box.y0, box.x1, box.y1 + 4}, 3.0f);
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy, hw, hh, radius); },
              [=](float, float y) { return mixRgba(fillTop, fillBottom, clamp01((y - y0) / (y1 - y0))); }, box);
    // Sheen over the upper part.
    fillShape(img, [=](float x, float y) {
                  return std::max(sdRoundBox(x, y, cx, cy, hw - borderWidth, hh - borderWidth, radius), y - (y0 + hh * 0.55f));
              },
              [=](float, float y) { return Rgba{1, 1, 1, 0.10f * (1.0f - clamp01((y - y0) / (hh * 0.55f)))}; }, box);
    if (borderWidth > 0) {
        Rgba b2 = darken(border, 0.6f);
        fillShape(img, [=](float x, float y) {
                      return std::fabs(sdRoundBox(x, y, cx, cy, hw - borderWidth / 2, hh - borderWidth / 2,
                                                  radius - borderWidth / 2)) - borderWidth / 2;
                  },
                  [=](float, float y) { return mixRgba(border, withAlpha(b2, border.a), clamp01((y - y0) / (y1 - y0))); },
                  box);
    }
}

void drawGlow(Image& img, float cx, float cy, float radius, Rgba colour, float strength) {
    Box b = boxAround(cx, cy, radius, radius);
    for (int y = std::max(0, b.y0); y < std::min(img.height, b.y1); ++y)
        for (int x = std::max(0, b.x0); x < std::min(img.width, b.x1); ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
            if (d >= 1.0f) continue;
            float a = std::pow(1.0f - d, 2.2f) * strength;
            Rgba p = img.get(x, y);
            float c = clamp01(a * colour.a);
            float na = std::min(1.0f, p.a + c);
            if (na <= 0) continue;
            img.set(x, y, Rgba{std::min(1.0f, (p.r * p.a + colour.r * c) / na), std::min(1.0f, (p.g * p.a + colour.g * c) / na),
                               std::min(1.0f, (p.b * p.a + colour.b * c) / na), na});
        }
}

void drawGlowEllipse(Image& img, float cx, float cy, float rx, float ry, Rgba colour) {
    Mask m = newMask(img.width, img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            float d = std::hypot((x + 0.5f - cx) / rx, (y + 0.5f - cy) / ry);
            m.ref(x, y) = d < 1.0f ? std::pow(1.0f - d, 2.0f) : 0.0f;
        }
    addMask(img, m, colour, 0, 0);
}

void drawSymbol(Image& img, BlockSymbol symbol, float cx, float cy, float s, Rgba fill, Rgba edge) {
    Field f;
    switch (symbol) {
    case BlockSymbol::None: return;
    case BlockSymbol::Circle: f = [=](float x, float y) { return sdRing(x, y, cx, cy, s * 0.72f, s * 0.2f); }; break;
    case BlockSymbol::Square: f = [=](float x, float y) { return sdRoundBox(x, y, cx, cy, s * 0.78f, s * 0.78f, s * 0.12f); }; break;
    case BlockSymbol::Triangle:
        f = [=](float x, float y) {
            std::vector<float> p = {cx, cy - s * 0.95f, cx + s * 0.95f, cy + s * 0.72f, cx - s * 0.95f, cy + s * 0.72f};
            return sdPolygon(x, y, p) - s * 0.06f;
        };
        break;
    case BlockSymbol::Cross:
        f = [=](float x, float y) {
            return std::min(sdRoundBox(x, y, cx, cy, s * 0.9f, s * 0.28f, s * 0.08f),
                            sdRoundBox(x, y, cx, cy, s * 0.28f, s * 0.9f, s * 0.08f));
        };
        break;
    case BlockSymbol::Heart: f = [=](float x, float y) { return sdHeart(x, y, cx, cy - s * 0.1f, s * 0.85f); }; break;
    case BlockSymbol::Star: f = [=](float x, float y) { return sdStar(x, y, cx, cy + s * 0.08f, s * 1.05f, s * 0.45f, 5); }; break;
    case BlockSymbol::Diamond:
        f = [=](float x, float y) { return (std::fabs(x - cx) + std::fabs(y - cy)) * 0.7071f - s * 0.7f; };
        break;
    }
    Box b = boxAround(cx, cy, s * 1.4f, s * 1.4f);
    float ew = std::max(1.5f, s * 0.1f);
    fillShape(img, [=](float x, float y) { return f(x - ew * 0.4f, y - ew * 0.6f) - ew; }, withAlpha(Rgba{0, 0, 0, 1}, edge.a * 0.5f), b);
    fillShape(img, [=](float x, float y) { return f(x, y) - ew; }, edge, b);
    fillShape(img, f, [=](float, float y) { return mixRgba(fill, darken(fill, 0.82f), clamp01((y - (cy - s)) / (2 * s))); }, b);
}

Image blockFace(Rgba base, bool lit, BlockSymbol symbol, int size) {
    const float S = float(size);
    Image img = newImage(size, size, Rgba{0, 0, 0, 1});
    // Lit faces keep their hue: brighter, only a little whiter.
    Rgba face = base;
    if (lit) face = lighten(Rgba{std::min(1.0f, base.r * 1.18f), std::min(1.0f, base.g * 1.18f), std::min(1.0f, base.b * 1.18f), 1}, 0.14f);
    float bevel = S * 0.12f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float dl = fx, dr = S - fx, dt = fy, db = S - fy;
            float edge = std::min(std::min(dl, dr), std::min(dt, db));
            // Inner face: light from the top left, a soft fall-off to the bottom right.
            float t = (fx + fy) / (2 * S);
            Rgba c = mixRgba(lighten(face, 0.18f), darken(face, 0.78f), t);
            float n = (fbm(fx / 24.0f, fy / 24.0f, 3, 77) - 0.5f) * 0.05f;
            c = Rgba{c.r + n, c.g + n, c.b + n, 1};
            if (edge < bevel + 1.0f) {
                // Each bevel side takes its light by the nearest edge; the diagonals blend over one pixel.
                float wT = clamp01(1.0f - (dt - edge)), wL = clamp01(1.0f - (dl - edge));
                float wR = clamp01(1.0f - (dr - edge)), wB = clamp01(1.0f - (db - edge));
                float sum = wT + wL + wR + wB;
                Rgba top = lighten(face, lit ? 0.62f : 0.45f), left = lighten(face, lit ? 0.35f : 0.2f);
                Rgba right = darken(face, lit ? 0.8f : 0.62f), bottom = darken(face, lit ? 0.66f : 0.45f);
                Rgba bv{(top.r * wT + left.r * wL + right.r * wR + bottom.r * wB) / sum,
                        (top.g * wT + left.g * wL + right.g * wR + bottom.g * wB) / sum,
                        (top.b * wT + left.b * wL + right.b * wR + bottom.b * wB) / sum, 1};
                // Rounded bevel: brighter towards its crest.
                float crest = 1.0f - std::fabs(edge / bevel - 0.45f) * 0.5f;
                bv = scaleRgb(bv, 0.85f + 0.2f * crest);
                float inBevel = clamp01(bevel + 0.5f - edge);
                c = mixRgba(c, bv, inBevel);
            }
            // Dark seam on the outermost texels so neighbouring blocks read apart.
            float seam = clamp01(S * 0.022f + 0.5f - edge);
            c = mixRgba(c, darken(face, 0.25f), seam * 0.9f);
            c.a = 1;
            img.set(x, y, c);
        }
    // Gloss: a soft white sheet over the upper part of the inner face, cut by a gentle curve.
    float in0 = bevel + 1, in1 = S - bevel - 1;
    fillShape(img,
              [=](float x, float y) {
                  float box = sdRoundBox(x, y, S / 2, S / 2, (in1 - in0) / 2, (in1 - in0) / 2, S * 0.03f);
                  float curve = y - (S * 0.52f - 0.22f * (x - S / 2) - 0.0008f * (x - S / 2) * (x - S / 2) * S / 256.0f);
                  return std::max(box, curve);
              },
              [=](float, float y) {
                  float a = (lit ? 0.42f : 0.30f) * (1.0f - clamp01((y - in0) / (S * 0.5f))) + 0.05f;
                  return Rgba{1, 1, 1, a};
              },
              Box{0, 0, size, size});
    // Specular glint on the top-left bevel corner.
    drawGlow(img, bevel * 0.8f, bevel * 0.8f, S * 0.1f, Rgba{1, 1, 1, lit ? 0.7f : 0.45f});
    if (lit) {
        // Lit faces glow from within.
        fillShape(img, [=](float x, float y) { return std::fabs(sdRoundBox(x, y, S / 2, S / 2, S / 2 - bevel - 2, S / 2 - bevel - 2, 4)) - 2.0f; },
                  Rgba{1, 1, 0.95f, 0.45f}, Box{0, 0, size, size}, 3.0f);
    }
    if (symbol != BlockSymbol::None)
        drawSymbol(img, symbol, S / 2, S / 2, S * 0.2f, Rgba{1, 1, 1, 0.95f}, Rgba{0.08f, 0.08f, 0.1f, 0.85f});
    return img;
}

void mapImage(Image& dst, const Image& src, float ox, float oy, float ux, float uy, float vx, float vy, float shade) {
    float det = ux * vy - uy * vx;
    if (std::fabs(det) < 1e-6f) return;
    std::vector<float> quad = {ox, oy, ox + ux, oy + uy, ox + ux + vx, oy + uy + vy, ox + vx, oy + vy};
    float minx = std::min({quad[0], quad[2], quad[4], quad[6]}), maxx = std::max({quad[0], quad[2], quad[4], quad[6]});
    float miny = std::min({quad[1], quad[3], quad[5], quad[7]}), maxy = std::max({quad[1], quad[3], quad[5], quad[7]});
    for (int y = std::max(0, int(miny) - 1); y < std::min(dst.height, int(maxy) + 2); ++y)
        for (int x = std::max(0, int(minx) - 1); x < std::min(dst.width, int(maxx) + 2); ++x) {
            float px = x + 0.5f - ox, py = y + 0.5f - oy;
            float cov = coverage(sdPolygon(x + 0.5f, y + 0.5f, quad));
            if (cov <= 0) continue;
            float u = (px * vy - py * vx) / det, v = (ux * py - uy * px) / det;
            float sx = clamp01(u) * (src.width - 1), sy = clamp01(v) * (src.height - 1);
            int x0 = int(sx), y0 = int(sy);
            int x1 = std::min(src.width - 1, x0 + 1), y1 = std::min(src.height - 1, y0 + 1);
            float fx = sx - x0, fy = sy - y0;
            Rgba a = mixRgba(src.get(x0, y0), src.get(x1, y0), fx), b = mixRgba(src.get(x0, y1), src.get(x1, y1), fx);
            Rgba c = mixRgba(a, b, fy);
            blendOver(dst, x, y, Rgba{std::min(1.0f, c.r * shade), std::min(1.0f, c.g * shade), std::min(1.0f, c.b * shade), c.a}, cov);
        }
}

void drawIsoCube(Image& img, const Image& face, float cx, float cy, float size) {
    // Edge length e: the cube spans about 2e * cos(30) wide and 2e tall.
    float e = size / 2.0f;
    float c30 = 0.8660254f, s30 = 0.5f;
    float topX = cx, topY = cy - e;  // top corner of the top face
    // Top face: rhombus from the top corner.
    mapImage(img, face, topX, topY, e * c30, e * s30, -e * c30, e * s30, 1.12f);
    // Left face and right face hang from the centre point.
    float midX = cx, midY = cy;
    mapImage(img, face, midX - e * c30, midY - e * s30, e * c30, e * s30, 0, e, 0.82f);
    mapImage(img, face, midX, midY, e * c30, -e * s30, 0, e, 0.6f);
}

void drawMouse(Image& img, float cx, float cy, float h, int litButton, Rgba litColour) {
    float w = h * 0.64f;
    auto body = [=](float x, float y) { return sdRoundBox(x, y, cx, cy, w / 2, h / 2, w * 0.48f); };
    Box b = boxAround(cx, cy, w / 2 + 4, h / 2 + 4);
    fillShape(img, [=](float x, float y) { return body(x - 2, y - 3) - 1; }, Rgba{0, 0, 0, 0.45f}, b, 3.0f);
    fillShape(img, body, [=](float x, float y) {
        float t = clamp01((y - (cy - h / 2)) / h) * 0.6f + clamp01((x - (cx - w / 2)) / w) * 0.4f;
        return mixRgba(rgb(238, 242, 250), rgb(150, 158, 176), t);
    }, b);
    float split = cy - h * 0.08f;
    if (litButton == 1 || litButton == 2) {
        bool left = litButton == 1;
        fillShape(img, [=](float x, float y) {
            float side = left ? x - (cx - 1.0f) : (cx + 1.0f) - x;
            return std::max(std::max(body(x, y) + 2.0f, side), y - (split - 1.0f));
        }, [=](float, float y) { return mixRgba(lighten(litColour, 0.3f), litColour, clamp01((y - (cy - h / 2)) / (h / 2))); }, b);
    }
    float lw = std::max(1.0f, h * 0.018f);
    Rgba line = rgb(60, 66, 80, 0.9f);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx, cy - h / 2, cx, split, lw); }, line, b);
    fillShape(img, [=](float x, float y) { return std::max(sdSegment(x, y, cx - w / 2, split, cx + w / 2, split, lw), body(x, y)); }, line, b);
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy - h * 0.27f, w * 0.06f, h * 0.09f, w * 0.06f); }, rgb(70, 76, 92), b);
    fillShape(img, [=](float x, float y) { return std::fabs(body(x, y)) - lw; }, rgb(40, 44, 56, 0.95f), b);
}

void drawKeycap(Image& img, float cx, float cy, float s, const std::string& label) {
    Box b = boxAround(cx, cy, s / 2 + 6, s / 2 + 6);
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy + s * 0.06f, s / 2, s / 2, s * 0.16f); }, rgb(60, 64, 78), b);
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy, s / 2, s / 2 - s * 0.04f, s * 0.16f); },
              [=](float, float y) { return mixRgba(rgb(246, 248, 252), rgb(186, 192, 206), clamp01((y - (cy - s / 2)) / s)); }, b);
    fillShape(img, [=](float x, float y) { return std::fabs(sdRoundBox(x, y, cx, cy, s / 2, s / 2 - s * 0.04f, s * 0.16f)) - 1.0f; },
              rgb(40, 44, 56, 0.9f), b);
    TextLook t;
    t.size = s * 0.38f;
    t.top = rgb(40, 44, 58);
    t.bottom = rgb(20, 22, 30);
    drawText(img, label, cx, cy + t.size * 0.36f, t, Align::Centre);
}

void drawTurnArrows(Image& img, float cx, float cy, float r, Rgba colour) {
    float hw = r * 0.11f;
    Box b = boxAround(cx, cy, r * 1.4f, r * 1.4f);
    for (int k = 0; k < 2; ++k) {
        float a0 = k * 180.0f + 20.0f, a1 = a0 + 130.0f;
        fillShape(img, [=](float x, float y) { return sdArc(x, y, cx, cy, r, hw, a0, a1); }, colour, b);
        float ae = a1 * kPi / 180.0f;
        float tx = cx + std::sin(ae) * r, ty = cy - std::cos(ae) * r;
        float dx = std::cos(ae), dy = std::sin(ae);  // tangent, clockwise
        float nx = std::sin(ae), ny = -std::cos(ae);
        std::vector<float> tri = {tx + dx * r * 0.42f, ty + dy * r * 0.42f, tx + nx * r * 0.3f, ty + ny * r * 0.3f,
                                  tx - nx * r * 0.3f, ty - ny * r * 0.3f};
        fillShape(img, [=](float x, float y) { return sdPolygon(x, y, tri); }, colour, b);
    }
}

void drawClock(Image& img, float cx, float cy, float r, Rgba colour) {
    Box b = boxAround(cx, cy, r * 1.2f, r * 1.2f);
    fillShape(img, [=](float x, float y) { return sdRing(x, y, cx, cy, r * 0.86f, r * 0.12f); }, colour, b);
    for (int i = 0; i < 12; ++i) {
        float a = i * kPi / 6;
        float r0 = r * (i % 3 == 0 ? 0.52f : 0.6f), r1 = r * 0.66f;
        fillShape(img, [=](float x, float y) {
            return sdSegment(x, y, cx + std::sin(a) * r0, cy - std::cos(a) * r0, cx + std::sin(a) * r1, cy - std::cos(a) * r1, r * 0.04f);
        }, colour, b);
    }
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx, cy, cx, cy - r * 0.5f, r * 0.07f); }, colour, b);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx, cy, cx + r * 0.36f, cy + r * 0.12f, r * 0.07f); }, colour, b);
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, cx, cy, r * 0.1f); }, colour, b);
}

void drawAtom(Image& img, float cx, float cy, float r, Rgba colour) {
    Box b = boxAround(cx, cy, r * 1.2f, r * 1.2f);
    for (int k = 0; k < 3; ++k) {
        float ang = k * kPi / 3;
        float ca = std::cos(ang), sa = std::sin(ang);
        fillShape(img, [=](float x, float y) {
            float dx = x - cx, dy = y - cy;
            float u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
            float a = r, bb = r * 0.36f;
            float k2 = std::hypot(u / (a * a), v / (bb * bb));
            float f = std::hypot(u / a, v / bb) - 1.0f;
            return std::fabs(f * std::hypot(u / a, v / bb) / std::max(k2, 1e-4f)) - r * 0.055f;
        }, colour, b);
    }
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, cx, cy, r * 0.2f); }, colour, b);
}

void drawMultiplier(Image& img, float cx, float cy, float s, Rgba colour) {
    TextLook t;
    t.size = s;
    t.top = lighten(colour, 0.3f);
    t.bottom = colour;
    t.outline = s * 0.05f;
    t.outlineColour = Rgba{0.05f, 0.05f, 0.08f, 0.9f};
    drawText(img, "x3", cx, cy + s * 0.36f, t, Align::Centre);
}

void drawWarningSign(Image& img, float cx, float cy, float s) {
    Box b = boxAround(cx, cy, s, s);
    std::vector<float> tri = {cx, cy - s * 0.55f, cx + s * 0.6f, cy + s * 0.48f, cx - s * 0.6f, cy + s * 0.48f};
    fillShape(img, [=](float x, float y) { return sdPolygon(x, y, tri) - s * 0.08f; }, rgb(30, 10, 10), b);
    fillShape(img, [=](float x, float y) { return sdPolygon(x, y, tri) - s * 0.03f; },
              [=](float, float y) { return mixRgba(rgb(255, 214, 60), rgb(240, 130, 20), clamp01((y - (cy - s / 2)) / s)); }, b);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx, cy - s * 0.22f, cx, cy + s * 0.14f, s * 0.06f); }, rgb(40, 16, 10), b);
    fillShape(img, [=](float x, float y) { return sdCircle(x, y, cx, cy + s * 0.3f, s * 0.065f); }, rgb(40, 16, 10), b);
}

void drawPadlock(Image& img, float cx, float cy, float s, Rgba colour) {
    Box b = boxAround(cx, cy, s, s);
    fillShape(img, [=](float x, float y) { return std::max(sdRing(x, y, cx, cy - s * 0.12f, s * 0.26f, s * 0.07f), y - (cy - s * 0.0f)); },
              darken(colour, 0.8f), b);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx - s * 0.26f, cy - s * 0.12f, cx - s * 0.26f, cy + s * 0.05f, s * 0.07f); },
              darken(colour, 0.8f), b);
    fillShape(img, [=](float x, float y) { return sdSegment(x, y, cx + s * 0.26f, cy - s * 0.12f, cx + s * 0.26f, cy + s * 0.05f, s * 0.07f); },
              darken(colour, 0.8f), b);
    fillShape(img, [=](float x, float y) { return sdRoundBox(x, y, cx, cy + s * 0.2f, s * 0.38f, s * 0.27f, s * 0.06f); },
              [=](float, float y) { return mixRgba(lighten(colour, 0.25f), darken(colour, 0.7f), clamp01((y - cy) / (s * 0.5f))); }, b);
    fillShape(img, [=](float x, float y) { return std::min(sdCircle(x, y, cx, cy + s * 0.15f, s * 0.07f),
                                                           sdSegment(x, y, cx, cy + s * 0.15f, cx, cy + s * 0.3f, s * 0.035f)); },
              rgb(30, 32, 40), b);
}

void drawChevrons(Image& img, float cx, float cy, float s, int count, Rgba colour) {
    Box b = boxAround(cx, cy, s, s);
    float step = s * 0.3f;
    float y0 = cy - step * (count - 1) / 2.0f;
    for (int i = 0; i < count; ++i) {
        float y = y0 + step * i + s * 0.1f;
        fillShape(img, [=](float px, float py) {
            return std::min(sdSegment(px, py, cx - s * 0.42f, y, cx, y - s * 0.26f, s * 0.08f),
                            sdSegment(px, py, cx, y - s * 0.26f, cx + s * 0.42f, y, s * 0.08f));
        }, colour, b);
    }
}
