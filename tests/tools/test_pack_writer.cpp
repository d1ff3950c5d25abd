#include "engine/asset_pack.h"
#include "tools/pack_writer.h"
#include "../temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<PackAsset> samplePack() {
    std::vector<PackAsset> assets;
    assets.push_back({"fonts\\prototype.ttf", std::vector<unsigned char>(5000, 7)});
    assets.push_back({"levels\\1.blvl", {0, 0, 0, 0}});
    assets.push_back({"meshes\\none.mbm", {}});
    std::vector<unsigned char> noisy(200000);
    uint32_t x = 99;
    for (unsigned char& c : noisy) c = static_cast<unsigned char>((x = x * 1664525u + 1013904223u) >> 24);
    assets.push_back({"textures\\noise.tga", noisy});
    return assets;
}

} // namespace

TEST(PackWriter, WrittenPackReadsBackThroughTheGame) {
    const std::vector<PackAsset> assets = samplePack();
    TempFolder folder("ts_pack_writer");   // its own: the same test may run in two processes at once
    ASSERT_FALSE(folder.path.empty());
    std::string path = folder.path + "/test_pack_writer.ass";
    std::string error;
    ASSERT_TRUE(writeAssetPack(path, assets, error)) << error;

    assetPackPath = path;
    readAssetIndex();
    ASSERT_EQ(assetIndex.size(), assets.size());
    int32_t expectedOffset = assetIndex[0].offset;
    for (size_t i = 0; i < assets.size(); ++i) {
        // In order, back to back, the first right after the index.
        EXPECT_EQ(assetIndex[i].name, assets[i].name);
        EXPECT_EQ(assetIndex[i].offset, expectedOffset);
        expectedOffset += static_cast<int32_t>(assets[i].data.size());
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(readAssetBytes(assets[i].name, bytes)) << assets[i].name;
        EXPECT_EQ(bytes, assets[i].data) << assets[i].name;
    }
    EXPECT_EQ(gztell(assetPackFile), assetIndex[0].offset);
    closeAssetPack();
    assetIndex.clear();
    assetPackPath = "data/assets.ass";
    std::remove(path.c_str());
    // No temporary file is left behind.
    EXPECT_EQ(std::fopen((path + ".tmp").c_str(), "rb"), nullptr);
}

TEST(PackWriter, SameAssetsGiveSameBytesWithoutATimestamp) {
    std::vector<unsigned char> first, second;
    std::string error;
    ASSERT_TRUE(compressAssetPack(samplePack(), first, error)) << error;
    ASSERT_TRUE(compressAssetPack(samplePack(), second, error)) << error;
    EXPECT_EQ(first, second);
    ASSERT_GT(first.size(), 10u);
    EXPECT_EQ(first[0], 0x1f);
    EXPECT_EQ(first[1], 0x8b);
    EXPECT_EQ(first[3] & 0x08, 0) << "no file name in the header";
    for (int i = 4; i < 8; ++i) EXPECT_EQ(first[i], 0) << "modification time byte " << i;
}

TEST(PackWriter, RefusesPacksTheReaderCouldNotServe) {
    std::vector<PackAsset> assets = samplePack();
    assets.push_back(assets[1]);
    std::vector<AssetIndexEntry> entries;
    std::string error;
    EXPECT_FALSE(layoutAssetPack(assets, entries, error));
    EXPECT_NE(error.find("levels\\1.blvl"), std::string::npos);

    std::vector<PackAsset> longName = {{std::string(maxAssetNameLength + 1, 'n'), {}}};
    EXPECT_FALSE(layoutAssetPack(longName, entries, error));

    std::vector<PackAsset> tooMany;
    for (int i = 0; i <= maxAssetEntries; ++i) tooMany.push_back({"levels\\" + std::to_string(i) + ".blvl", {}});
    EXPECT_FALSE(layoutAssetPack(tooMany, entries, error));
    tooMany.pop_back();
    EXPECT_TRUE(layoutAssetPack(tooMany, entries, error)) << error;

    std::string path = std::string(TS_BINARY_DIR) + "/no-such-folder/x.ass";
    EXPECT_FALSE(writeAssetPack(path, samplePack(), error));
}
