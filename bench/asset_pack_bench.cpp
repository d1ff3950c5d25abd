// Times the asset pack's index read and lookups, and the loaders' reopen-seek-read pattern for
// every asset that is not a texture, against one plain sequential gzread of the whole pack; and
// the index read of a damaged 12 KB pack that inflates to a million empty entries, against the
// real pack's.
//   bench_asset_pack_bench [path of assets.ass]   (default: run/data/assets.ass)
#include "timing.h"

#include "engine/asset_pack.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Best of a few runs: the figure least disturbed by the rest of the machine.
template <typename Work>
double bestOf(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = bench::nowMs();
        work();
        best = std::min(best, bench::nowMs() - start);
    }
    return best;
}

bool isTexture(const std::string& name) { return name.compare(0, 9, "textures\\") == 0; }

// Writes the damaged pack: an entry count of 2^20 followed by 2^20 empty entries (all zeros).
bool writeDamagedPack(const std::string& path) {
    std::vector<unsigned char> content;
    appendInt32LE(content, 0);
    appendInt32LE(content, 1 << 20);
    content.resize(content.size() + 12u * (1u << 20));
    gzFile file = gzopen(path.c_str(), "wb9");
    if (!file) return false;
    bool ok = gzwrite(file, content.data(), static_cast<unsigned>(content.size())) == static_cast<int>(content.size());
    return gzclose(file) == Z_OK && ok;
}

} // namespace

int main(int argc, char** argv) {
    assetPackPath = argc > 1 ? argv[1] : "run/data/assets.ass";
    const int runs = 5;

    size_t sequentialBytes = 0;
    double sequential = bestOf(runs, [&] {
        gzFile file = gzopen(assetPackPath.c_str(), "rb");
        if (!file) return;
        std::vector<unsigned char> buffer(1 << 20);
        sequentialBytes = 0;
        int got;
        while ((got = gzread(file, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0)
            sequentialBytes += static_cast<size_t>(got);
        gzclose(file);
    });
    if (sequentialBytes == 0) {
        std::fprintf(stderr, "cannot read %s\n", assetPackPath.c_str());
        return 1;
    }

    size_t lookups = 0;
    double indexAndLookups = bestOf(runs, [&] {
        readAssetIndex();
        lookups = 0;
        std::vector<AssetIndexEntry> entries = assetIndex;
        for (const AssetIndexEntry& e : entries) {
            if (getAssetOffset(e.name) >= 0 && getAssetSize(e.name) >= 0) ++lookups;
        }
    });

    size_t loaded = 0, loadedBytes = 0;
    double loaders = bestOf(runs, [&] {
        loaded = loadedBytes = 0;
        std::vector<unsigned char> bytes;
        for (const AssetIndexEntry& e : assetIndex) {
            if (isTexture(e.name)) continue;
            if (readAssetBytes(e.name, bytes)) {
                ++loaded;
                loadedBytes += bytes.size();
            }
        }
    });
    closeAssetPack();
    const size_t realEntries = assetIndex.size();
    const double realIndex = bestOf(runs, [] { readAssetIndex(); });
    closeAssetPack();

    const std::string realPath = assetPackPath;
    assetPackPath = "damaged_index_bench.ass";
    double damagedIndex = -1.0;
    if (writeDamagedPack(assetPackPath)) damagedIndex = bestOf(runs, [] { readAssetIndex(); });
    closeAssetPack();
    std::remove(assetPackPath.c_str());
    assetPackPath = realPath;

    std::printf("pack: %s, %zu entries, %zu bytes uncompressed (best of %d runs)\n", assetPackPath.c_str(),
                realEntries, sequentialBytes, runs);
    std::printf("sequential gzread of the whole pack:          %9.2f ms (reference)\n", sequential);
    std::printf("index read + %4zu name lookups:                %9.2f ms  ratio %.3f\n", lookups, indexAndLookups,
                indexAndLookups / sequential);
    std::printf("%3zu non-texture loads (reopen, gzseek, gzread): %9.2f ms  ratio %.3f  (%zu bytes)\n", loaded,
                loaders, loaders / sequential, loadedBytes);
    std::printf("index read of the real pack:                  %9.2f ms (reference)\n", realIndex);
    std::printf("index read of a 12 KB pack claiming 2^20 entries: %6.2f ms  ratio %.3f\n", damagedIndex,
                damagedIndex / realIndex);
    std::printf("row|pack index read + %zu name lookups|%.2f ms|sequential gzread of the pack|%.2f ms|%.3f|\n", lookups,
                indexAndLookups, sequential, indexAndLookups / sequential);
    std::printf("row|%zu non-texture loads (reopen, gzseek, gzread)|%.2f ms|sequential gzread of the pack|%.2f "
                "ms|%.3f|\n",
                loaded, loaders, sequential, loaders / sequential);
    std::printf("row|index read of a damaged pack claiming 2^20 entries|%.2f ms|index read of the real pack|%.2f "
                "ms|%.3f|\n",
                damagedIndex, realIndex, damagedIndex / realIndex);
    return 0;
}
