#include "engine/asset_format.h"
#include "engine/texture_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// The pack the build wrote into the run folder must hold every asset the game asks for.
namespace {

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
        size_t p = positionOf(at, "textures\\" + packTextureNames()[i]);
        if (i > 0) {
            EXPECT_GT(p, previous) << packTextureNames()[i] << " is out of streaming order";
        }
        previous = p;
    }
    for (const std::string& name : packTextureNames()) lastFull = std::max(lastFull, positionOf(at, "textures\\" + name));
    for (const std::string& name : packTextureNames())
        EXPECT_GT(positionOf(at, "textures\\small\\" + name), lastFull) << name;
}
