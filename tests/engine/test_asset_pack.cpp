#include "engine/asset_pack.h"

#include "engine/log.h"
#include "../temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct TestAsset {
    std::string name;
    std::string data;
};

// The uncompressed pack: index, then the assets back to back.
Bytes packContent(const std::vector<TestAsset>& assets, const std::string& header = "test pack") {
    std::vector<AssetIndexEntry> entries;
    std::vector<std::string> names;
    for (const TestAsset& a : assets) names.push_back(a.name);
    int32_t position = static_cast<int32_t>(assetIndexLength(names, header));
    for (const TestAsset& a : assets) {
        entries.push_back({a.name, position, static_cast<int32_t>(a.data.size())});
        position += static_cast<int32_t>(a.data.size());
    }
    Bytes out = encodeAssetIndex(entries, header);
    for (const TestAsset& a : assets) out.insert(out.end(), a.data.begin(), a.data.end());
    return out;
}

void writeGzip(const std::string& path, const Bytes& content) {
    gzFile f = gzopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!content.empty()) {
        ASSERT_EQ(gzwrite(f, content.data(), static_cast<unsigned>(content.size())), static_cast<int>(content.size()));
    }
    ASSERT_EQ(gzclose(f), Z_OK);
}

void writeRaw(const std::string& path, const Bytes& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

Bytes readRaw(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + got);
    std::fclose(f);
    return out;
}

bool logged(const std::string& line) {
    return std::find(consoleLines.begin(), consoleLines.end(), line) != consoleLines.end();
}

bool loggedStartingWith(const std::string& prefix) {
    for (const std::string& line : consoleLines)
        if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

const std::vector<TestAsset> sampleAssets = {
    {"fonts\\a.ttf", "font bytes"},
    {"levels\\1.blvl", std::string("\x01\x00\x00\x00", 4) + std::string(12, '\0')},
    {"meshes\\empty.mbm", ""},
    {"textures\\yellow.tga", std::string(3000, 'y')},
    {"textures\\small\\yellow.tga", std::string(300, 's')},
};

class AssetPackTest : public ::testing::Test {
protected:
    TempFolder folder{"ts_asset_pack"};   // its own: the same test may run in two processes at once
    std::string path;
    void SetUp() override {
        ASSERT_FALSE(folder.path.empty());
        path = folder.path + "/pack.ass";
        assetPackPath = path;
        consoleLines.clear();
    }
    void TearDown() override {
        closeAssetPack();
        assetIndex.clear();
        assetPackPath = "data/assets.ass";
        std::remove(path.c_str());
    }
    std::vector<std::string> indexNames() const {
        std::vector<std::string> names;
        for (const AssetIndexEntry& e : assetIndex) names.push_back(e.name);
        return names;
    }
};

} // namespace

TEST_F(AssetPackTest, ReadsIndexAndFindsAssetsByExactName) {
    writeGzip(path, packContent(sampleAssets));
    readAssetIndex();
    ASSERT_EQ(assetIndex.size(), sampleAssets.size());
    ASSERT_NE(assetPackFile, nullptr);
    EXPECT_TRUE(logged("Opening AssPack"));
    EXPECT_TRUE(logged("Indexed asset textures\\yellow.tga"));
    EXPECT_EQ(consoleLines.back(), "AssPack headers loaded");

    for (const TestAsset& a : sampleAssets) {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(readAssetBytes(a.name, bytes)) << a.name;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), a.data) << a.name;
        EXPECT_EQ(getAssetSize(a.name), static_cast<int>(a.data.size()));
    }
    // The stream is left right after the index, ready for the streamer.
    EXPECT_EQ(gztell(assetPackFile), getAssetOffset("fonts\\a.ttf"));

    // Names match exactly: letter case and the separator count.
    EXPECT_EQ(getAssetOffset("textures\\Yellow.tga"), -1);
    EXPECT_EQ(getAssetOffset("textures/yellow.tga"), -1);
    EXPECT_EQ(getAssetOffset("yellow.tga"), -1);
    EXPECT_EQ(getAssetSize("textures\\yellow.tga "), -1);
    consoleLines.clear();
    EXPECT_EQ(getAssetOffset("nothing"), -1);
    EXPECT_EQ(consoleLines, std::vector<std::string>{"Looking up offset for nothing"});
}

TEST_F(AssetPackTest, ZeroSizeAssetIsFoundAndOnlyMinusOneMeansMissing) {
    // An asset of size 0 at offset 0 is a valid answer.
    std::vector<AssetIndexEntry> entries = {{"sounds\\silence.ogg", 0, 0}};
    writeGzip(path, encodeAssetIndex(entries, ""));
    readAssetIndex();
    EXPECT_EQ(getAssetOffset("sounds\\silence.ogg"), 0);
    EXPECT_EQ(getAssetSize("sounds\\silence.ogg"), 0);
    EXPECT_TRUE(logged("found offset"));
    EXPECT_TRUE(logged("found size"));
    std::vector<unsigned char> bytes{1};
    EXPECT_TRUE(readAssetBytes("sounds\\silence.ogg", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(AssetPackTest, FirstOfTwoEqualNamesWins) {
    std::vector<AssetIndexEntry> entries = {{"levels\\1.blvl", 100, 4}, {"levels\\1.blvl", 200, 8}};
    writeGzip(path, encodeAssetIndex(entries, "h"));
    readAssetIndex();
    EXPECT_EQ(getAssetOffset("levels\\1.blvl"), 100);
    EXPECT_EQ(getAssetSize("levels\\1.blvl"), 4);
}

TEST_F(AssetPackTest, EmptyIndexAndMissingPack) {
    writeGzip(path, encodeAssetIndex({}, ""));
    readAssetIndex();
    EXPECT_TRUE(assetIndex.empty());
    EXPECT_NE(assetPackFile, nullptr);
    EXPECT_EQ(consoleLines.back(), "AssPack headers loaded");
    EXPECT_EQ(getAssetOffset("fonts\\arialbd.ttf"), -1);

    std::remove(path.c_str());
    consoleLines.clear();
    readAssetIndex();
    EXPECT_EQ(assetPackFile, nullptr);
    EXPECT_TRUE(assetIndex.empty());
    EXPECT_TRUE(logged("gzopen failed"));
    EXPECT_FALSE(logged("AssPack headers loaded"));
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(readAssetBytes("fonts\\arialbd.ttf", bytes));
}

TEST_F(AssetPackTest, ReadingTwiceDoesNotDuplicateEntries) {
    writeGzip(path, packContent(sampleAssets));
    readAssetIndex();
    readAssetIndex();
    EXPECT_EQ(assetIndex.size(), sampleAssets.size());
}

TEST_F(AssetPackTest, IndexEndingAnywhereKeepsTheWholeEntriesBeforeIt) {
    Bytes content = packContent(sampleAssets);
    std::vector<std::string> names;
    for (const TestAsset& a : sampleAssets) names.push_back(a.name);
    const size_t indexLength = static_cast<size_t>(assetIndexLength(names, "test pack"));
    // Where each entry's last byte lies, so every cut point has one right answer.
    std::vector<size_t> entryEnds;
    size_t position = 4 + 9 + 4;
    for (const std::string& n : names) entryEnds.push_back(position += 12 + n.size());
    ASSERT_EQ(entryEnds.back(), indexLength);

    for (size_t cut = 0; cut < indexLength; ++cut) {
        writeGzip(path, Bytes(content.begin(), content.begin() + cut));
        readAssetIndex();
        size_t whole = std::count_if(entryEnds.begin(), entryEnds.end(), [&](size_t end) { return end <= cut; });
        ASSERT_EQ(assetIndex.size(), whole) << "cut at " << cut;
        EXPECT_TRUE(loggedStartingWith("AssPack index damaged")) << "cut at " << cut;
        for (size_t i = 0; i < whole; ++i) EXPECT_EQ(assetIndex[i].name, names[i]);
        consoleLines.clear();
    }
}

TEST_F(AssetPackTest, BadLengthsStopTheReadAndKeepEarlierEntries) {
    auto packWithSecondEntry = [](int32_t nameLength, int32_t offset, int32_t size) {
        Bytes out;
        appendInt32LE(out, 0);
        appendInt32LE(out, 3);
        appendInt32LE(out, 4);
        out.insert(out.end(), {'g', 'o', 'o', 'd'});
        appendInt32LE(out, 100);
        appendInt32LE(out, 5);
        appendInt32LE(out, nameLength);
        for (int i = 0; i < 4; ++i) out.push_back('x');
        appendInt32LE(out, offset);
        appendInt32LE(out, size);
        Bytes tail(64, 0);  // a third entry's worth of zeros that must not be read
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    };
    const struct {
        int32_t nameLength, offset, size;
        const char* why;
    } cases[] = {
        {-1, 0, 0, "negative name length"},
        {INT32_MIN, 0, 0, "most negative name length"},
        {maxAssetNameLength + 1, 0, 0, "oversized name length"},
        {INT32_MAX, 0, 0, "largest name length"},
        {4, -5, 1, "negative offset"},
        {4, 5, -1, "negative size"},
        {4, INT32_MAX - 2, 10, "asset runs past 2 GiB"},
    };
    for (const auto& c : cases) {
        writeGzip(path, packWithSecondEntry(c.nameLength, c.offset, c.size));
        readAssetIndex();
        ASSERT_EQ(assetIndex.size(), 1u) << c.why;
        EXPECT_EQ(assetIndex[0].name, "good");
        EXPECT_TRUE(loggedStartingWith("AssPack index damaged")) << c.why;
        EXPECT_EQ(consoleLines.back(), "AssPack headers loaded");
        EXPECT_EQ(getAssetOffset("good"), 100);
        consoleLines.clear();
    }

    // A bad header length or entry count stops before any entry.
    for (int32_t headerLength : {-1, maxAssetHeaderLength + 1, INT32_MAX}) {
        Bytes out;
        appendInt32LE(out, headerLength);
        appendInt32LE(out, 0);
        writeGzip(path, out);
        readAssetIndex();
        EXPECT_TRUE(assetIndex.empty());
        EXPECT_TRUE(loggedStartingWith("AssPack index damaged (bad header length)")) << headerLength;
        consoleLines.clear();
    }
    // A negative count, and counts beyond any real pack: the last is a 12 KB file whose stream
    // inflates to a million empty entries. None is read entry by entry.
    for (int32_t count : {-3, maxAssetEntries + 1, 1 << 20}) {
        Bytes out;
        appendInt32LE(out, 0);
        appendInt32LE(out, count);
        out.resize(out.size() + (count > 0 ? 12 * static_cast<size_t>(count) : 0));
        writeGzip(path, out);
        consoleLines.clear();
        readAssetIndex();
        EXPECT_TRUE(assetIndex.empty()) << count;
        EXPECT_TRUE(loggedStartingWith("AssPack index damaged (bad entry count)")) << count;
        EXPECT_LT(consoleLines.size(), 10u) << count;
    }
    // The largest count a pack may have is read whole.
    Bytes full;
    appendInt32LE(full, 0);
    appendInt32LE(full, maxAssetEntries);
    for (int32_t i = 0; i < maxAssetEntries; ++i) {
        appendInt32LE(full, 1);
        full.push_back('a');
        appendInt32LE(full, 0);
        appendInt32LE(full, 0);
    }
    writeGzip(path, full);
    readAssetIndex();
    EXPECT_EQ(assetIndex.size(), static_cast<size_t>(maxAssetEntries));
}

TEST_F(AssetPackTest, FileWithoutGzipHeaderOnlyPassesWithASoundIndex) {
    // zlib reads a file without a gzip header as it stands; a whole index is still usable.
    writeRaw(path, packContent(sampleAssets));
    readAssetIndex();
    EXPECT_EQ(assetIndex.size(), sampleAssets.size());
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(readAssetBytes("textures\\small\\yellow.tga", bytes));
    EXPECT_EQ(bytes.size(), 300u);

    // The same file cut inside its index is rejected whole, not half-trusted.
    Bytes cut = packContent(sampleAssets);
    cut.resize(40);
    writeRaw(path, cut);
    consoleLines.clear();
    readAssetIndex();
    EXPECT_TRUE(assetIndex.empty());
    EXPECT_EQ(assetPackFile, nullptr);
    EXPECT_FALSE(logged("AssPack headers loaded"));
    EXPECT_TRUE(loggedStartingWith("AssPack is not a gzip pack"));

    // A foreign file: plain text.
    std::string text = "This is not an asset pack, just some words in a file.\n";
    writeRaw(path, Bytes(text.begin(), text.end()));
    readAssetIndex();
    EXPECT_TRUE(assetIndex.empty());
    EXPECT_EQ(assetPackFile, nullptr);

    // An empty file.
    writeRaw(path, {});
    readAssetIndex();
    EXPECT_TRUE(assetIndex.empty());
    EXPECT_EQ(assetPackFile, nullptr);
}

TEST_F(AssetPackTest, ShortAssetDataIsReportedNotReturned) {
    Bytes content = packContent(sampleAssets);
    content.resize(content.size() - 100);  // the last asset loses its tail
    writeGzip(path, content);
    readAssetIndex();
    ASSERT_EQ(assetIndex.size(), sampleAssets.size());
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(readAssetBytes("textures\\small\\yellow.tga", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(readAssetBytes("textures\\yellow.tga", bytes));
}

TEST_F(AssetPackTest, RandomDamageNeverCrashesOrHangs) {
    writeGzip(path, packContent(sampleAssets));
    const Bytes good = readRaw(path);
    const Bytes goodContent = packContent(sampleAssets);
    ASSERT_FALSE(good.empty());
    std::mt19937 random(1234);
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 400; ++round) {
        // Damage either the compressed file or the content before compressing it.
        bool compressed = round % 2 == 0;
        Bytes damaged = compressed ? good : goodContent;
        int kind = static_cast<int>(random() % 3);
        if (kind == 0 || kind == 2) {
            int flips = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < flips; ++i) damaged[random() % damaged.size()] ^= static_cast<unsigned char>(1 + random() % 255);
        }
        if (kind == 1 || kind == 2) damaged.resize(random() % damaged.size());
        if (compressed) writeRaw(path, damaged);
        else writeGzip(path, damaged);

        readAssetIndex();
        for (const AssetIndexEntry& e : assetIndex) {
            ASSERT_GE(e.offset, 0);
            ASSERT_GE(e.size, 0);
            ASSERT_LE(e.name.size(), static_cast<size_t>(maxAssetNameLength));
            std::vector<unsigned char> bytes;
            if (readAssetBytes(e.name, bytes)) {
                // A name may repeat after damage; the first entry is the one read.
                EXPECT_EQ(bytes.size(), static_cast<size_t>(getAssetSize(e.name)));
            }
        }
        consoleLines.clear();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}
