// The generated textures: names and order, Targa layout, sizes and proportions, determinism, and the
// raster pieces they are drawn with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/texture_names.h"
#include "tools/pack_assets.h"
#include "tools/raster.h"
#include "tools/text_raster.h"
#include "tools/texture_art.h"
#include "tools/tga_write.h"

namespace {

struct TgaInfo {
    bool valid = false;
    int width = 0, height = 0, bits = 0;
    bool bottomUp = false;
    bool anyTranslucent = false;
    bool edgeClear = false;  // every texel of the outer ring has alpha 0
};

// Reads the header the way the game's streamer does, and checks the pixel block's length.
TgaInfo readTga(const std::vector<unsigned char>& d) {
    TgaInfo t;
    if (d.size() < 18 || d[1] != 0 || d[2] != 2) return t;
    t.width = d[12] | (d[13] << 8);
    t.height = d[14] | (d[15] << 8);
    t.bits = d[16];
    t.bottomUp = (d[17] & 0x20) == 0;
    size_t bpp = size_t(t.bits / 8);
    if ((t.bits != 24 && t.bits != 32) || d.size() != 18 + size_t(d[0]) + size_t(t.width) * t.height * bpp) return t;
    if (t.bits == 32) {
        const unsigned char* px = d.data() + 18 + d[0];
        for (size_t i = 3; i < size_t(t.width) * t.height * 4; i += 4)
            if (px[i] != 255) {
                t.anyTranslucent = true;
                break;
            }
        t.edgeClear = true;
        for (int y = 0; y < t.height; ++y)
            for (int x = 0; x < t.width; ++x) {
                bool edge = x == 0 || y == 0 || x == t.width - 1 || y == t.height - 1;
                if (edge && px[(size_t(y) * t.width + x) * 4 + 3] != 0) t.edgeClear = false;
            }
    }
    t.valid = true;
    return t;
}

// One full build of the textures, shared by the tests below (it takes a few seconds).
const std::vector<PackAsset>& builtTextures() {
    static std::vector<PackAsset> assets = [] {
        std::vector<PackAsset> out;
        generateTextures(out);
        return out;
    }();
    return assets;
}

const std::vector<unsigned char>* findAsset(const std::string& name) {
    for (const PackAsset& a : builtTextures())
        if (a.name == name) return &a.data;
    return nullptr;
}

TgaInfo infoOf(const std::string& name, bool small = false) {
    const std::vector<unsigned char>* d = findAsset((small ? "textures\\small\\" : "textures\\") + name);
    return d ? readTga(*d) : TgaInfo{};
}

}  // namespace

// Every name of the pack has its art, once, and no art is drawn for a name the pack leaves out.
TEST(TextureArt, EveryPackTextureHasArtAndNoArtIsLeftOver) {
    std::vector<std::string> drawn = drawnTextureNames();
    std::vector<std::string> packed = packTextureNames();
    EXPECT_EQ(std::set<std::string>(drawn.begin(), drawn.end()).size(), drawn.size());
    EXPECT_EQ(std::set<std::string>(packed.begin(), packed.end()).size(), packed.size());
    std::sort(drawn.begin(), drawn.end());
    std::sort(packed.begin(), packed.end());
    EXPECT_EQ(drawn, packed);
}

// The whole build, checked the way the game and its atlas will read it.
TEST(TextureArt, PackHoldsEveryTextureAsAValidTargaInStreamingOrder) {
    const std::vector<PackAsset>& assets = builtTextures();
    const std::vector<std::string>& names = packTextureNames();
    ASSERT_EQ(assets.size(), names.size() * 2);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(assets[i].name, "textures\\" + names[i]);
        EXPECT_EQ(assets[names.size() + i].name, "textures\\small\\" + names[i]);
    }
    for (const PackAsset& a : assets) {
        SCOPED_TRACE(a.name);
        TgaInfo t = readTga(a.data);
        ASSERT_TRUE(t.valid);
        EXPECT_TRUE(t.bottomUp);
        EXPECT_GE(t.width, 4);
        EXPECT_GE(t.height, 4);
        bool small = a.name.find("\\small\\") != std::string::npos;
        EXPECT_LE(std::max(t.width, t.height), small ? 1024 : 2048);
        // 32 bits only where the image really has see-through parts; and then, since linear filtering
        // still reads the texel ring the atlas insets, that ring is clear (the full-screen overlays excepted).
        if (t.bits == 32) {
            EXPECT_TRUE(t.anyTranslucent);
            bool overlay = a.name.find("masswarning") != std::string::npos || a.name.find("cooldownedges") != std::string::npos;
            EXPECT_EQ(t.edgeClear, !overlay);
        }
    }

    const std::map<std::string, double> ratios = {
        {"voderivozudid.tga", 850.0 / 370}, {"tessarinelogo.tga", 629.0 / 101}, {"menuonoff.tga", 525.0 / 55},
        {"newswindow.tga", 331.0 / 531},    {"gratz.tga", 1431.0 / 188},        {"achi-bg.tga", 474.0 / 142},
        {"popupwindow.tga", 2.0}};
    for (const auto& r : ratios) {
        SCOPED_TRACE(r.first);
        for (bool small : {false, true}) {
            TgaInfo t = infoOf(r.first, small);
            ASSERT_TRUE(t.valid);
            EXPECT_NEAR(double(t.width) / t.height, r.second, r.second * (small ? 0.02 : 0.005));
        }
    }
    struct Fixed {
        const char* name;
        int w, h;
    };
    const Fixed fixed[] = {{"tute-pup.tga", 482, 231},      {"tute-crit.tga", 482, 231},
                           {"tute-combo.tga", 498, 214},    {"tute-combonow.tga", 498, 214},
                           {"tute-color.tga", 498, 214},    {"tute-control.tga", 628, 272},
                           {"tute-rush-rev.tga", 628, 272}, {"tute-surv-single.tga", 628, 272},
                           {"tute-med.tga", 628, 272},      {"multinoty.tga", 700, 143},
                           {"timenoty.tga", 700, 143},      {"fusionnoty.tga", 700, 143}};
    for (const Fixed& f : fixed) {
        TgaInfo t = infoOf(f.name);
        EXPECT_EQ(t.width, f.w) << f.name;
        EXPECT_EQ(t.height, f.h) << f.name;
    }

    // A new backdrop takes the old one's atlas rectangle, so all ten must be one size.
    TgaInfo first = infoOf("background1.tga"), firstSmall = infoOf("background1.tga", true);
    for (int n = 2; n <= 10; ++n) {
        std::string name = "background" + std::to_string(n) + ".tga";
        TgaInfo t = infoOf(name), s = infoOf(name, true);
        EXPECT_EQ(t.width, first.width) << name;
        EXPECT_EQ(t.height, first.height) << name;
        EXPECT_EQ(s.width, firstSmall.width) << name;
        EXPECT_EQ(s.height, firstSmall.height) << name;
        EXPECT_EQ(t.bits, 24) << name;
    }
    EXPECT_EQ(infoOf("whiteparticle.tga").bits, 32);  // glows fade out through alpha
}

TEST(TextureArt, BlockFacesAreSquareAndTheirVariantsDiffer) {
    std::map<std::string, std::vector<unsigned char>> files;
    auto file = [&](const std::string& name) -> const std::vector<unsigned char>& {
        auto it = files.find(name);
        if (it != files.end()) return it->second;
        Image img;
        EXPECT_TRUE(renderTexture(name, img)) << name;
        return files[name] = textureFile(img);
    };
    auto meanColour = [&](const std::string& name) {
        const std::vector<unsigned char>& d = file(name);
        TgaInfo t = readTga(d);
        EXPECT_EQ(t.width, t.height) << name;
        EXPECT_EQ(t.bits, 24) << name;  // a cube face is a full square
        double sum[3] = {0, 0, 0};
        size_t n = 0;
        for (size_t i = 18; i + 2 < d.size(); i += 3, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += d[i + size_t(c)];
        return std::vector<double>{sum[2] / n, sum[1] / n, sum[0] / n};  // r, g, b
    };
    std::vector<std::vector<double>> means;
    for (const char* c : {"yellow", "blue", "red", "orange", "pink", "grey", "green"}) {
        std::string base = c;
        means.push_back(meanColour(base + ".tga"));
        if (base == "grey") continue;
        // The lit variant is brighter; the colour-blind ones carry a symbol, so their bytes differ.
        std::vector<double> plain = means.back(), lit = meanColour(base + "H.tga");
        EXPECT_GT(lit[0] + lit[1] + lit[2], plain[0] + plain[1] + plain[2] + 30) << base;
        EXPECT_NE(file(base + ".tga"), file(base + "CB.tga")) << base;
        EXPECT_NE(file(base + "H.tga"), file(base + "HCB.tga")) << base;
    }
    // One clear hue per colour: no two plain faces average to nearly the same colour.
    for (size_t i = 0; i < means.size(); ++i)
        for (size_t j = i + 1; j < means.size(); ++j) {
            double d = std::fabs(means[i][0] - means[j][0]) + std::fabs(means[i][1] - means[j][1]) +
                       std::fabs(means[i][2] - means[j][2]);
            EXPECT_GT(d, 40.0) << i << " vs " << j;
        }
}

TEST(TextureArt, RenderingIsDeterministicAndThreadIndependent) {
    const std::vector<std::string> names = {"background7.tga", "tute-control.tga", "achi-zenmaster.tga",
                                            "orangeHCB.tga", "tessarinelogo.tga", "redparticle.tga"};
    auto renderAll = [&](std::vector<std::vector<unsigned char>>& out) {
        for (const std::string& n : names) {
            Image img;
            renderTexture(n, img);
            out.push_back(textureFile(img));
            out.push_back(textureFile(smallCopy(img)));
        }
    };
    // Once on a second thread while this one draws the same list: the bytes must agree.
    std::vector<std::vector<unsigned char>> a, b;
    std::thread other([&] { renderAll(a); });
    renderAll(b);
    other.join();
    ASSERT_EQ(a.size(), names.size() * 2);
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << names[i / 2];
    Image none;
    EXPECT_FALSE(renderTexture("nosuchimage.tga", none));
}

TEST(TextureArt, TargaRowsAreStoredBottomUpInBgrOrder) {
    Image img = newImage(2, 2, Rgba{0, 0, 0, 1});
    img.set(0, 0, Rgba{1, 0, 0, 1});  // top left red
    img.set(1, 1, Rgba{0, 0, 1, 0.5f});  // bottom right half-transparent blue
    std::vector<unsigned char> d = encodeTga(img, true);
    ASSERT_EQ(d.size(), 18u + 16u);
    EXPECT_EQ(d[2], 2);
    EXPECT_EQ(d[16], 32);
    EXPECT_EQ(d[17], 8);
    // First stored row is the bottom one: black, then the blue pixel.
    const unsigned char bottomRight[4] = {255, 0, 0, 128};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d[18 + 4 + size_t(i)], bottomRight[i]);
    const unsigned char topLeft[4] = {0, 0, 255, 255};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d[18 + 8 + size_t(i)], topLeft[i]);
    // Without alpha a see-through pixel is flattened over black.
    std::vector<unsigned char> flat = encodeTga(img, false);
    EXPECT_EQ(flat[16], 24);
    EXPECT_EQ(flat[18 + 3], 128);
}

TEST(TextureArt, ResizeAveragesAndKeepsTransparentColoursOut) {
    Image img = newImage(4, 4, Rgba{1, 1, 1, 0});  // invisible white
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) img.set(x, y, Rgba{1, 0, 0, 1});
    Image half = resizeImage(img, 2, 2);
    Rgba left = half.get(0, 0), right = half.get(1, 1);
    EXPECT_FLOAT_EQ(left.r, 1.0f);
    EXPECT_FLOAT_EQ(left.a, 1.0f);
    EXPECT_FLOAT_EQ(right.a, 0.0f);
    Image mixed = resizeImage(img, 1, 1);
    EXPECT_NEAR(mixed.get(0, 0).a, 0.5f, 1e-5);
    EXPECT_NEAR(mixed.get(0, 0).g, 0.0f, 1e-5);  // the invisible white does not tint the red
    Image tiny = smallCopy(newImage(6, 6, Rgba{1, 1, 1, 1}));
    EXPECT_EQ(tiny.width, 4);
    Image big = smallCopy(newImage(2048, 1024, Rgba{1, 1, 1, 1}));
    EXPECT_EQ(big.width, 1024);
    EXPECT_EQ(big.height, 512);
}

TEST(TextureArt, TextIsRenderedAndWrappedToWidth) {
    ASSERT_TRUE(artFontAvailable(ArtFont::SansBold));
    float base = 0;
    Mask m = textMask(ArtFont::SansBold, "Tessarine", 40, 2, &base);
    float ink = 0;
    for (float v : m.v) ink += v;
    EXPECT_GT(ink, 100.0f);
    EXPECT_GT(base, 20.0f);
    EXPECT_LT(base, float(m.height));
    EXPECT_GT(textWidth(ArtFont::SansBold, "Tessarine", 40), textWidth(ArtFont::SansBold, "Tessarine", 20) * 1.8f);
    std::vector<std::string> lines =
        wrapWords(ArtFont::Sans, "Join four or more blocks of one colour to clear them", 20, 150);
    EXPECT_GT(lines.size(), 2u);
    for (const std::string& l : lines) EXPECT_LE(textWidth(ArtFont::Sans, l, 20), 150.0f) << l;
    EXPECT_LE(textWidth(ArtFont::SansBold, "Congratulations!", fitTextSize(ArtFont::SansBold, "Congratulations!", 200, 300)),
              300.5f);
}

namespace {

// Alpha-weighted centre of an image.
void alphaCentroid(const Image& img, double& cx, double& cy) {
    double sx = 0, sy = 0, sw = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            double a = img.get(x, y).a;
            sx += a * (x + 0.5);
            sy += a * (y + 0.5);
            sw += a;
        }
    cx = sw > 0 ? sx / sw : -1;
    cy = sw > 0 ? sy / sw : -1;
}

}  // namespace

TEST(TextureArt, GlowsAndPointersAreCentredRoundAndFadeOut) {
    for (const char* name : {"whiteparticle.tga", "redparticle.tga", "blueparticle.tga", "greenparticle.tga"}) {
        Image img;
        ASSERT_TRUE(renderTexture(name, img));
        int c = img.width / 2;
        EXPECT_GT(img.get(c, c).a, 0.9f) << name;
        EXPECT_EQ(img.get(1, 1).a, 0.0f) << name;  // the corners of a round glow are empty
        // Alpha never rises on the way out, in any direction.
        for (int k = 0; k < 4; ++k) {
            int dx = k == 0 ? 1 : (k == 1 ? -1 : 0), dy = k == 2 ? 1 : (k == 3 ? -1 : 0);
            for (int r = 1; r < c - 1; ++r)
                EXPECT_LE(img.get(c + dx * r, c + dy * r).a, img.get(c + dx * (r - 1), c + dy * (r - 1)).a + 1e-4f)
                    << name << " at " << r;
        }
    }
    // The pointer is drawn centred on the mouse, so its weight must sit in the middle.
    for (const char* name : {"cursor.tga", "cursor_blue.tga", "cursor_red.tga", "cursor_yellow.tga",
                             "cursor_orange.tga", "cursor_green.tga", "cursor_pink.tga", "loadingbar.tga"}) {
        Image img;
        ASSERT_TRUE(renderTexture(name, img));
        double cx, cy;
        alphaCentroid(img, cx, cy);
        double tolerance = std::string(name) == "loadingbar.tga" ? img.width * 0.2 : 1.0;  // the spinner's tail is lopsided
        EXPECT_NEAR(cx, img.width / 2.0, tolerance) << name;
        EXPECT_NEAR(cy, img.height / 2.0, tolerance) << name;
    }
}

TEST(Raster, DistanceFieldsAreSignedDistances) {
    EXPECT_FLOAT_EQ(sdCircle(13, 10, 10, 10, 2), 1.0f);
    EXPECT_FLOAT_EQ(sdCircle(10, 10, 10, 10, 2), -2.0f);
    EXPECT_NEAR(sdRoundBox(15, 0, 0, 0, 10, 5, 0), 5.0f, 1e-5);
    EXPECT_NEAR(sdRoundBox(0, 0, 0, 0, 10, 5, 0), -5.0f, 1e-5);
    // A rounded corner lies further out than the square one.
    EXPECT_GT(sdRoundBox(10, 5, 0, 0, 10, 5, 3), 0.5f);
    std::vector<float> square = {0, 0, 10, 0, 10, 10, 0, 10};
    EXPECT_NEAR(sdPolygon(5, 5, square), -5.0f, 1e-5);
    EXPECT_NEAR(sdPolygon(13, 5, square), 3.0f, 1e-5);
    EXPECT_NEAR(sdSegment(5, 3, 0, 0, 10, 0, 1), 2.0f, 1e-5);
    EXPECT_NEAR(sdRing(10, 0, 0, 0, 10, 1), -1.0f, 1e-5);
    // An arc from 0 (up) to 90 degrees (right) covers the upper right only.
    EXPECT_LT(sdArc(7.07f, -7.07f, 0, 0, 10, 1, 0, 90), 0.0f);
    EXPECT_GT(sdArc(-7.07f, 7.07f, 0, 0, 10, 1, 0, 90), 5.0f);
    EXPECT_LT(sdStar(0, 0, 0, 0, 10, 4, 5), 0.0f);
    EXPECT_GT(sdStar(0, 20, 0, 0, 10, 4, 5), 0.0f);
    EXPECT_FLOAT_EQ(coverage(-3), 1.0f);
    EXPECT_FLOAT_EQ(coverage(3), 0.0f);
    EXPECT_FLOAT_EQ(coverage(0), 0.5f);
}

TEST(Raster, CompositingFollowsSourceOver) {
    Image img = newImage(2, 1, Rgba{0, 0, 1, 1});
    img.set(1, 0, Rgba{0, 0, 0, 0});
    blendOver(img, 0, 0, Rgba{1, 0, 0, 0.5f}, 1.0f);
    blendOver(img, 1, 0, Rgba{1, 0, 0, 1.0f}, 0.5f);  // coverage acts like alpha
    Rgba over = img.get(0, 0), alone = img.get(1, 0);
    EXPECT_NEAR(over.r, 0.5f, 1e-5);
    EXPECT_NEAR(over.b, 0.5f, 1e-5);
    EXPECT_NEAR(over.a, 1.0f, 1e-5);
    EXPECT_NEAR(alone.r, 1.0f, 1e-5);  // straight alpha: the colour stays pure
    EXPECT_NEAR(alone.a, 0.5f, 1e-5);
    // Light adds up and saturates without going past white.
    Mask m = newMask(1, 1);
    m.v[0] = 1.0f;
    Image dark = newImage(1, 1, Rgba{0.8f, 0.8f, 0.8f, 1});
    addMask(dark, m, Rgba{1, 1, 1, 1}, 0, 0);
    EXPECT_FLOAT_EQ(dark.get(0, 0).r, 1.0f);
    EXPECT_TRUE(isOpaque(dark));
    EXPECT_FALSE(isOpaque(img));
}

TEST(Raster, BlurSpreadsAndDilateGrows) {
    Mask m = newMask(41, 41);
    m.ref(20, 20) = 1.0f;
    Mask grown = dilateMask(m, 4);
    EXPECT_FLOAT_EQ(grown.at(23, 20), 1.0f);
    EXPECT_FLOAT_EQ(grown.at(20, 17), 1.0f);
    EXPECT_FLOAT_EQ(grown.at(24, 20), 0.5f);  // the anti-aliased rim
    EXPECT_FLOAT_EQ(grown.at(25, 20), 0.0f);
    EXPECT_LT(grown.at(24, 24), 0.5f);  // a disc, not a square
    blurMask(m, 6.0f);
    float total = 0;
    for (float v : m.v) total += v;
    EXPECT_NEAR(total, 1.0f, 1e-3);  // nothing lost far from the edges
    EXPECT_LT(m.at(20, 20), 0.1f);
    EXPECT_GT(m.at(23, 20), 0.0f);
    EXPECT_FLOAT_EQ(m.at(20, 22), m.at(20, 18));  // symmetric
}

TEST(Raster, NoiseIsBoundedSeededAndRepeatable) {
    float lo = 1, hi = 0;
    int differ = 0;
    for (int i = 0; i < 500; ++i) {
        float x = i * 0.37f, y = i * 0.11f;
        float a = fbm(x, y, 5, 7), b = fbm(x, y, 5, 8);
        EXPECT_EQ(a, fbm(x, y, 5, 7));
        lo = std::min(lo, a);
        hi = std::max(hi, a);
        if (std::fabs(a - b) > 0.01f) ++differ;
    }
    EXPECT_GE(lo, 0.0f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_GT(hi - lo, 0.2f);  // it varies
    EXPECT_GT(differ, 400);    // another seed is another field
    Rng r1(5), r2(5);
    for (int i = 0; i < 100; ++i) {
        float u = r1.unit();
        EXPECT_EQ(u, r2.unit());
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
}

TEST(TextureArt, SmallCopiesKeepAClearEdgeClear) {
    Image clear = newImage(64, 32, Rgba{1, 1, 1, 1});
    for (int x = 0; x < 64; ++x) {
        clear.set(x, 0, Rgba{1, 1, 1, 0});
        clear.set(x, 31, Rgba{1, 1, 1, 0});
    }
    for (int y = 0; y < 32; ++y) {
        clear.set(0, y, Rgba{1, 1, 1, 0});
        clear.set(63, y, Rgba{1, 1, 1, 0});
    }
    Image small = smallCopy(clear);
    EXPECT_EQ(small.width, 32);
    EXPECT_EQ(small.get(0, 5).a, 0.0f);
    EXPECT_EQ(small.get(31, 5).a, 0.0f);
    EXPECT_EQ(small.get(5, 15).a, 0.0f);
    EXPECT_FLOAT_EQ(small.get(5, 5).a, 1.0f);
    // An image whose colour runs to the edge keeps it.
    Image full = newImage(64, 32, Rgba{1, 0, 0, 0.5f});
    EXPECT_FLOAT_EQ(smallCopy(full).get(0, 0).a, 0.5f);
}

// An arrow's tip is a point and its tail a flat edge: the fill is thinnest at the end it points to.
TEST(TextureArt, ArrowsPointTheWayTheirNamesSay) {
    struct Case { const char* name; int dx, dy; };
    const Case cases[] = {{"arrowup.tga", 0, -1}, {"arrowdown.tga", 0, 1}, {"arrowleft.tga", -1, 0},
                          {"arrowright.tga", 1, 0}};
    for (const Case& c : cases) {
        Image img;
        ASSERT_TRUE(renderTexture(c.name, img)) << c.name;
        auto bright = [&](int x, int y) {
            return img.get(x, y).a > 0.97f;  // the opaque fill, not its outline or glow
        };
        // Thickness of the fill across the axis, just inside each end along it.
        bool horizontal = c.dx != 0;
        int along = horizontal ? img.width : img.height, across = horizontal ? img.height : img.width;
        auto span = [&](int i) {
            int n = 0;
            for (int j = 0; j < across; ++j) n += horizontal ? bright(i, j) : bright(j, i);
            return n;
        };
        int first = 0, last = along - 1;
        while (first < along && span(first) == 0) ++first;
        while (last > first && span(last) == 0) --last;
        ASSERT_LT(first + 8, last) << c.name;
        int low = span(first + 3), high = span(last - 3);
        int sign = horizontal ? c.dx : c.dy;
        if (sign < 0)
            EXPECT_LT(low, high) << c.name << " should point towards the low end";
        else
            EXPECT_GT(low, high) << c.name << " should point towards the high end";
    }
}

// The achievement tile (474 x 142 grid, the image twice that) prints its title on row 50 at 0.7 u
// and its description's first line on row 71 at 0.375 u, u (the medium font) being 0.21 of the
// tile's height: the divider runs between the title's descenders and the description's top.
TEST(TextureArt, AchievementDividerRunsBetweenTitleAndDescription) {
    Image img;
    ASSERT_TRUE(renderTexture("achi-bg.tga", img));
    const float u = 27.5f / 1050.0f / 0.125f * 142.0f;
    const float titleDescent = 50.0f + 0.25f * 0.7f * u, descriptionTop = 71.0f - 0.375f * u;
    auto light = [&](int y) {
        const Rgba p = img.get(600, y);
        return p.r + p.g + p.b;
    };
    std::vector<int> rows;
    for (int y = 40; y < 200; ++y)
        if (light(y) > (light(y - 6) + light(y + 6)) / 2.0f + 0.05f) rows.push_back(y);
    ASSERT_FALSE(rows.empty());
    for (int y : rows) {
        EXPECT_GT(y / 2.0f, titleDescent) << y;
        EXPECT_LT((y + 1) / 2.0f, descriptionTop) << y;
    }
}
