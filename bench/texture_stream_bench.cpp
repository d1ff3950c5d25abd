// CPU time to stream every texture of the real pack through the streamer, one step per call as
// the frames make them, beside one plain sequential gzread of the whole pack.
//   bench_texture_stream_bench [path/to/assets.ass]   (default: run/data/assets.ass)
// Runs without a GL context: the uploads cost nothing here, the reading and placing is measured.
#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/log.h"
#include "engine/textures.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

static double cpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static double sequentialReadMs(const std::string& path, long* bytes)
{
    const double start = cpuMs();
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) return -1;
    static unsigned char buffer[1 << 16];
    *bytes = 0;
    int got;
    while ((got = gzread(file, buffer, sizeof(buffer))) > 0) *bytes += got;
    gzclose(file);
    return cpuMs() - start;
}

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "run/data/assets.ass";
    assetPackPath = path;
    readAssetIndex();
    if (!assetPackFile) {
        std::fprintf(stderr, "cannot read the pack %s\n", path.c_str());
        return 1;
    }
    // Logging goes to a file per line; keep it out of the figure's way but still real.
    std::vector<std::string> names;
    const std::string folder = "textures\\";
    for (const AssetIndexEntry& entry : assetIndex)
        if (entry.name.rfind(folder, 0) == 0 && entry.name.find('\\', folder.size()) == std::string::npos)
            names.push_back(entry.name.substr(folder.size()));

    for (const std::string& name : names) getTextureIndex(name);
    const double start = cpuMs();
    long calls = 0;
    double longest = 0;
    while (!textureQueue.empty()) {
        const double before = cpuMs();
        updateStreamingTextures(16.0f);
        longest = std::max(longest, cpuMs() - before);
        ++calls;
    }
    const double streamMs = cpuMs() - start;

    long bytes = 0;
    const double readMs = sequentialReadMs(path, &bytes);
    std::printf("textures streamed: %zu of %zu in %ld calls (%zu atlas pages, final seek step %d bytes)\n",
                textures.size(), names.size(), calls, atlasPages.size(), seekStep);
    std::printf("streamer CPU time:          %9.1f ms (longest call %.1f ms)\n", streamMs, longest);
    std::printf("sequential gzread of pack:  %9.1f ms (%ld bytes uncompressed)\n", readMs, bytes);
    std::printf("ratio streamer / sequential: %.2f\n", readMs > 0 ? streamMs / readMs : 0.0);
    std::printf("row|streamer CPU time for every image of the pack, no GL (%zu of %zu)|%.1f ms|sequential gzread of "
                "the pack|%.1f ms|%.2f|\n",
                textures.size(), names.size(), streamMs, readMs, readMs > 0 ? streamMs / readMs : 0.0);
    return 0;
}
