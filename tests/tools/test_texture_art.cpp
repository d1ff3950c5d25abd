// The generated textures: names and order, Targa layout, sizes and proportions, determinism, and the
// raster pieces they are drawn with.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/pack_assets.h"
#include "tools/raster.h"
#include "tools/text_raster.h"
#include "tools/texture_art.h"
#include "tools/tga_write.h"

namespace {

// The intro's list, in the order it queues the names.
const char* const kQueued[] = {
    "voderivozudid.tga", "background1.tga", "whiteparticle.tga", "titlegrid.tga", "newswindow.tga",
    "tessarinelogo.tga", "loadingbar.tga", "cursor.tga", "cursor_blue.tga", "cursor_red.tga", "cursor_yellow.tga",
    "cursor_orange.tga", "cursor_green.tga", "cursor_pink.tga", "menuonoff.tga", "social-twitter.tga",
    "social-facebook.tga", "social-tsg.tga", "steamicon.tga", "red.tga", "pink.tga", "orange.tga", "green.tga",
    "yellow.tga", "blue.tga", "redH.tga", "pinkH.tga", "orangeH.tga", "greenH.tga", "yellowH.tga", "blueH.tga",
    "redCB.tga", "pinkCB.tga", "orangeCB.tga", "greenCB.tga", "yellowCB.tga", "blueCB.tga", "redHCB.tga",
    "pinkHCB.tga", "orangeHCB.tga", "greenHCB.tga", "yellowHCB.tga", "blueHCB.tga", "trollface.tga", "grey.tga",
    "wpixel.tga", "pixel.tga", "pinkparticle.tga", "redparticle.tga", "orangeparticle.tga", "greenparticle.tga",
    "yellowparticle.tga", "blueparticle.tga", "masswarning.tga", "gratz.tga", "powerupbg.tga", "powerupcolor.tga",
    "powerupcolor-on.tga", "powerupreflection.tga", "pupnukeicon.tga", "puptimeicon.tga", "pupmultiicon.tga",
    "multinoty.tga", "timenoty.tga", "fusionnoty.tga", "cooldownedges.tga", "deathsplosion.tga", "powerupglow.tga",
    "popupwindow.tga", "leftmouse.tga", "rightmouse.tga", "escbutton.tga", "arrowup.tga", "arrowdown.tga",
    "arrowleft.tga", "arrowright.tga", "tute-pup.tga", "tute-combo.tga", "tute-combonow.tga", "tute-color.tga",
    "tute-crit.tga", "tute-control.tga", "tute-control-rev.tga", "tute-control-single.tga", "tute-rush.tga",
    "tute-rush-rev.tga", "tute-rush-single.tga", "tute-surv.tga", "tute-surv-rev.tga", "tute-surv-single.tga",
    "tute-med.tga", "tute-med-rev.tga", "tute-med-single.tga", "achi-bg.tga", "achi-locked.tga",
    "achi-lastmanstanding.tga", "achi-youvegotredonyou.tga", "achi-survivalist.tga", "achi-enlightenment.tga",
    "achi-intothevoid.tga", "achi-buttonmasher.tga", "achi-killstreak.tga", "achi-quorvane.tga",
    "achi-classicallytrained.tga", "achi-betatester.tga", "achi-elitist.tga", "achi-ambidextrous.tga",
    "achi-quicksave.tga", "achi-holdstill.tga", "achi-vexallyinsane.tga", "achi-vexalexpert.tga",
    "achi-vexalmaster.tga", "achi-vexalpro.tga", "achi-learnedtoplay.tga", "achi-massaddict.tga",
    "achi-tessarine.tga", "achi-legendary.tga", "achi-epic.tga", "achi-personalgrowth.tga",
    "achi-chainreaction.tga", "achi-lightheaded.tga", "achi-zenmaster.tga"};

const char* const kTiles[] = {"yellowcube.tga", "bluecube.tga", "redcube.tga", "orangecube.tga", "pinkcube.tga",
                              "greycube.tga", "greencube.tga", "bomb.tga", "buster.tga", "drill.tga"};

struct TgaInfo {
    bool valid = false;
    int width = 0, height = 0, bits = 0;
    bool bottomUp = false;
    bool anyTranslucent = false;
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
    if (t.bits == 32)
        for (size_t i = 18 + d[0] + 3; i < d.size(); i += 4)
            if (d[i] != 255) {
                t.anyTranslucent = true;
                break;
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

TEST(TextureArt, NamesFollowTheStreamingOrderOnce) {
    std::vector<std::string> names = textureNames();
    std::vector<std::string> expected(std::begin(kQueued), std::end(kQueued));
    ASSERT_EQ(expected.size(), 122u);
    for (int n = 2; n <= 10; ++n) expected.push_back("background" + std::to_string(n) + ".tga");
    for (const char* t : kTiles) expected.push_back(t);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
}

// The whole build, checked the way the game and its atlas will read it.
TEST(TextureArt, PackHoldsEveryTextureAsAValidTargaInStreamingOrder) {
    const std::vector<PackAsset>& assets = builtTextures();
    std::vector<std::string> names = textureNames();
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
        // 32 bits only where the image really has see-through parts.
        if (t.bits == 32) {
            EXPECT_TRUE(t.anyTranslucent);
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
