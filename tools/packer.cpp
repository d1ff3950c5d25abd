// ts_packer: generates every asset and writes data/assets.ass.
//   ts_packer --source <repository> --out <run folder>/data/assets.ass
#include "engine/asset_format.h"
#include "tools/level_text.h"
#include "tools/mesh_gen.h"
#include "tools/pack_assets.h"
#include "tools/pack_writer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Free fonts from the system's fonts-dejavu-core, copied in at build time.
const char* const fontFolder = "/usr/share/fonts/truetype/dejavu/";
const struct {
    const char* name;
    const char* file;
} packFonts[] = {
    {"fonts\\prototype.ttf", "DejaVuSansCondensed-Bold.ttf"},  // display face of the large and medium fonts
    {"fonts\\arialbd.ttf", "DejaVuSans-Bold.ttf"},             // bold sans of the small font
};

bool readWholeFile(const std::string& path, std::vector<unsigned char>& out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool addFonts(std::vector<PackAsset>& out, std::string& error) {
    for (const auto& font : packFonts) {
        PackAsset asset{font.name, {}};
        std::string path = std::string(fontFolder) + font.file;
        if (!readWholeFile(path, asset.data) || asset.data.empty()) {
            error = "cannot read " + path + " (install fonts-dejavu-core)";
            return false;
        }
        out.push_back(std::move(asset));
    }
    return true;
}

// Reads the written pack back through zlib as the game does and compares its index.
bool verifyPack(const std::string& path, const std::vector<PackAsset>& assets, std::string& error) {
    std::vector<AssetIndexEntry> expected;
    if (!layoutAssetPack(assets, expected, error)) return false;
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot reopen " + path;
        return false;
    }
    std::vector<AssetIndexEntry> entries;
    AssetIndexStatus status = parseAssetIndex(file, entries);
    gzclose(file);
    if (status != AssetIndexStatus::Complete) {
        error = std::string("written index reads back as: ") + assetIndexStatusText(status);
        return false;
    }
    if (entries.size() != expected.size()) {
        error = "written index has the wrong number of entries";
        return false;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name != expected[i].name || entries[i].offset != expected[i].offset ||
            entries[i].size != expected[i].size) {
            error = "written index differs at " + expected[i].name;
            return false;
        }
    }
    return true;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
    std::fprintf(stderr, "usage: ts_packer --source <repository> --out <path of assets.ass>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string source, outPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--source") == 0 && i + 1 < argc) source = argv[++i];
        else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) outPath = argv[++i];
        else return usage();
    }
    if (source.empty() || outPath.empty()) return usage();

    auto start = std::chrono::steady_clock::now();
    std::vector<PackAsset> assets;
    std::string error;
    // Order: what loaders read by reopening the pack comes first, since a reopened stream's gzseek
    // decompresses everything before its target. Levels lead (tiny, and reloaded at every level
    // start in play), then the meshes, the fonts and the sounds; then the textures in streaming
    // order and their small copies, which the streamer reads moving forward in one open stream.
    if (!generateLevels(source, assets, error)) {
        std::fprintf(stderr, "ts_packer: %s\n", error.c_str());
        return 1;
    }
    generateMeshes(assets);
    if (!addFonts(assets, error)) {
        std::fprintf(stderr, "ts_packer: %s\n", error.c_str());
        return 1;
    }
    auto stepStart = std::chrono::steady_clock::now();
    generateSounds(assets);
    std::printf("ts_packer: sounds in %.1f s\n", secondsSince(stepStart));
    stepStart = std::chrono::steady_clock::now();
    generateTextures(assets);
    std::printf("ts_packer: textures in %.1f s\n", secondsSince(stepStart));

    stepStart = std::chrono::steady_clock::now();
    if (!writeAssetPack(outPath, assets, error) || !verifyPack(outPath, assets, error)) {
        std::fprintf(stderr, "ts_packer: %s\n", error.c_str());
        return 1;
    }
    size_t rawBytes = 0;
    for (const PackAsset& asset : assets) rawBytes += asset.data.size();
    std::printf("ts_packer: %zu assets, %zu bytes before compression, written in %.1f s (total %.1f s)\n",
                assets.size(), rawBytes, secondsSince(stepStart), secondsSince(start));
    return 0;
}
