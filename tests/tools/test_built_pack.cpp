#include "engine/asset_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// The pack the build wrote into the run folder must hold every asset the game asks for.
namespace {

// The texture streamer's names in its order, then the backdrops and tiles nothing queues.
const std::vector<std::string> textureNames = {
    "voderivozudid.tga", "background1.tga", "whiteparticle.tga", "titlegrid.tga", "newswindow.tga",
    "tessarinelogo.tga", "loadingbar.tga", "cursor.tga", "cursor_blue.tga", "cursor_red.tga",
    "cursor_yellow.tga", "cursor_orange.tga", "cursor_green.tga", "cursor_pink.tga", "menuonoff.tga",
    "social-twitter.tga", "social-facebook.tga", "social-tsg.tga", "steamicon.tga", "red.tga", "pink.tga",
    "orange.tga", "green.tga", "yellow.tga", "blue.tga", "redH.tga", "pinkH.tga", "orangeH.tga",
    "greenH.tga", "yellowH.tga", "blueH.tga", "redCB.tga", "pinkCB.tga", "orangeCB.tga", "greenCB.tga",
    "yellowCB.tga", "blueCB.tga", "redHCB.tga", "pinkHCB.tga", "orangeHCB.tga", "greenHCB.tga",
    "yellowHCB.tga", "blueHCB.tga", "trollface.tga", "grey.tga", "wpixel.tga", "pixel.tga",
    "pinkparticle.tga", "redparticle.tga", "orangeparticle.tga", "greenparticle.tga", "yellowparticle.tga",
    "blueparticle.tga", "masswarning.tga", "gratz.tga", "powerupbg.tga", "powerupcolor.tga",
    "powerupcolor-on.tga", "powerupreflection.tga", "pupnukeicon.tga", "puptimeicon.tga",
    "pupmultiicon.tga", "multinoty.tga", "timenoty.tga", "fusionnoty.tga", "cooldownedges.tga",
    "deathsplosion.tga", "powerupglow.tga", "popupwindow.tga", "leftmouse.tga", "rightmouse.tga",
    "escbutton.tga", "arrowup.tga", "arrowdown.tga", "arrowleft.tga", "arrowright.tga", "tute-pup.tga",
    "tute-combo.tga", "tute-combonow.tga", "tute-color.tga", "tute-crit.tga", "tute-control.tga",
    "tute-control-rev.tga", "tute-control-single.tga", "tute-rush.tga", "tute-rush-rev.tga",
    "tute-rush-single.tga", "tute-surv.tga", "tute-surv-rev.tga", "tute-surv-single.tga", "tute-med.tga",
    "tute-med-rev.tga", "tute-med-single.tga", "achi-bg.tga", "achi-locked.tga", "achi-lastmanstanding.tga",
    "achi-youvegotredonyou.tga", "achi-survivalist.tga", "achi-enlightenment.tga", "achi-intothevoid.tga",
    "achi-buttonmasher.tga", "achi-killstreak.tga", "achi-quorvane.tga", "achi-classicallytrained.tga",
    "achi-betatester.tga", "achi-elitist.tga", "achi-ambidextrous.tga", "achi-quicksave.tga",
    "achi-holdstill.tga", "achi-vexallyinsane.tga", "achi-vexalexpert.tga", "achi-vexalmaster.tga",
    "achi-vexalpro.tga", "achi-learnedtoplay.tga", "achi-massaddict.tga", "achi-tessarine.tga",
    "achi-legendary.tga", "achi-epic.tga", "achi-personalgrowth.tga", "achi-chainreaction.tga",
    "achi-lightheaded.tga", "achi-zenmaster.tga",
    "background2.tga", "background3.tga", "background4.tga", "background5.tga", "background6.tga",
    "background7.tga", "background8.tga", "background9.tga", "background10.tga", "yellowcube.tga",
    "bluecube.tga", "redcube.tga", "orangecube.tga", "pinkcube.tga", "greycube.tga", "greencube.tga",
    "bomb.tga", "buster.tga", "drill.tga",
};

const std::vector<std::string> soundNames = {
    "stab6.ogg", "clunk-hardcore.ogg", "swish.ogg", "tick.ogg", "massincrease.ogg", "subdrop.ogg",
    "woob.ogg", "explosey3.ogg", "ethereal2.ogg", "lazor.ogg", "cheeve6.ogg", "endbreakshort3.ogg",
    "trololo.ogg", "clockbeep.ogg", "powerupready.ogg", "tsdnb_melody_loop.ogg", "tsdnb_drums.ogg",
};

std::vector<AssetIndexEntry> readBuiltIndex() {
    std::vector<AssetIndexEntry> entries;
    std::string path = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) return entries;
    EXPECT_FALSE(gzdirect(file));
    EXPECT_EQ(parseAssetIndex(file, entries), AssetIndexStatus::Complete);
    gzclose(file);
    return entries;
}

// Position of each name in the index; a repeated name fails the test.
std::map<std::string, size_t> positions(const std::vector<AssetIndexEntry>& entries) {
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_TRUE(at.emplace(entries[i].name, i).second) << entries[i].name << " is in the pack twice";
    return at;
}

size_t positionOf(const std::map<std::string, size_t>& at, const std::string& name) {
    auto found = at.find(name);
    EXPECT_NE(found, at.end()) << name << " is missing";
    return found == at.end() ? 0 : found->second;
}

} // namespace

TEST(BuiltPack, HoldsLevelsMeshesAndFontsFirst) {
    std::vector<AssetIndexEntry> entries = readBuiltIndex();
    ASSERT_FALSE(entries.empty()) << "the build did not write run/data/assets.ass";
    auto at = positions(entries);
    // Reopening loaders decompress everything before their asset: the small, often reloaded ones lead.
    std::vector<std::string> early;
    for (int n = 1; n <= 10; ++n) early.push_back("levels\\" + std::to_string(n) + ".blvl");
    early.push_back("meshes\\cube.mbm");
    early.push_back("meshes\\geosphere.mbm");
    early.push_back("fonts\\prototype.ttf");
    early.push_back("fonts\\arialbd.ttf");
    for (size_t i = 0; i < early.size(); ++i) EXPECT_EQ(positionOf(at, early[i]), i) << early[i];
    for (const AssetIndexEntry& e : entries) EXPECT_GT(e.size, 0) << e.name;
    // Back to back in index order: a loader's gzseek never passes bytes of a later asset.
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].offset, entries[i - 1].offset + entries[i - 1].size) << entries[i].name;
}

TEST(BuiltPack, HoldsEverySoundBeforeTheTextures) {
    std::vector<AssetIndexEntry> entries = readBuiltIndex();
    ASSERT_FALSE(entries.empty());
    auto at = positions(entries);
    size_t lastSound = 0;
    for (const std::string& name : soundNames) lastSound = std::max(lastSound, positionOf(at, "sounds\\" + name));
    for (const AssetIndexEntry& e : entries)
        if (e.name.compare(0, 9, "textures\\") == 0) {
            EXPECT_GT(at[e.name], lastSound) << e.name;
        }
}

TEST(BuiltPack, HoldsEveryTextureInStreamingOrderThenTheSmallCopies) {
    std::vector<AssetIndexEntry> entries = readBuiltIndex();
    ASSERT_FALSE(entries.empty());
    auto at = positions(entries);
    size_t previous = 0, lastFull = 0;
    for (size_t i = 0; i < 122; ++i) {
        size_t p = positionOf(at, "textures\\" + textureNames[i]);
        if (i > 0) {
            EXPECT_GT(p, previous) << textureNames[i] << " is out of streaming order";
        }
        previous = p;
    }
    for (const std::string& name : textureNames) lastFull = std::max(lastFull, positionOf(at, "textures\\" + name));
    for (const std::string& name : textureNames)
        EXPECT_GT(positionOf(at, "textures\\small\\" + name), lastFull) << name;
}
