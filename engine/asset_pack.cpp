#include "engine/asset_pack.h"

#include "engine/log.h"

#include <algorithm>

std::string assetPackPath = "data/assets.ass";
std::vector<AssetIndexEntry> assetIndex;
gzFile assetPackFile = nullptr;

void closeAssetPack() {
    if (assetPackFile) gzclose(assetPackFile);
    assetPackFile = nullptr;
}

void readAssetIndex() {
    // initialize runs again on a second window pass: start from a clean index.
    closeAssetPack();
    assetIndex.clear();

    logMessage("Opening AssPack");
    gzFile file = gzopen(assetPackPath.c_str(), "rb");
    if (!file) {
        logMessage("gzopen failed");
        return;
    }

    std::vector<AssetIndexEntry> entries;
    AssetIndexStatus status = parseAssetIndex(file, entries);

    // zlib passes a file without a gzip header through as it stands; such a file is only
    // trusted when its whole index reads cleanly.
    if (gzdirect(file) && status != AssetIndexStatus::Complete) {
        logMessage(std::string("AssPack is not a gzip pack and its index is damaged (") +
                   assetIndexStatusText(status) + "); ignored");
        gzclose(file);
        return;
    }

    for (const AssetIndexEntry& entry : entries) logMessage("Indexed asset " + entry.name);
    if (status != AssetIndexStatus::Complete)
        logMessage(std::string("AssPack index damaged (") + assetIndexStatusText(status) + "); kept " +
                   std::to_string(entries.size()) + " entries");
    assetIndex = std::move(entries);
    logMessage("AssPack headers loaded");
    assetPackFile = file;
}

namespace {

const AssetIndexEntry* findAsset(const std::string& name) {
    for (const AssetIndexEntry& entry : assetIndex)
        if (entry.name == name) return &entry;
    return nullptr;
}

} // namespace

int getAssetOffset(std::string name) {
    logMessage("Looking up offset for " + name);
    const AssetIndexEntry* entry = findAsset(name);
    if (!entry) return -1;
    logMessage("found offset");
    return entry->offset;
}

int getAssetSize(std::string name) {
    logMessage("Looking up size for " + name);
    const AssetIndexEntry* entry = findAsset(name);
    if (!entry) return -1;
    logMessage("found size");
    return entry->size;
}

bool readAssetBytes(const std::string& name, std::vector<unsigned char>& out) {
    out.clear();
    int offset = getAssetOffset(name);
    int size = getAssetSize(name);
    if (offset < 0 || size < 0) {
        logMessage("Missing asset " + name);
        return false;
    }
    gzFile file = gzopen(assetPackPath.c_str(), "rb");
    if (!file) {
        logMessage("gzopen failed for " + name);
        return false;
    }
    bool ok = gzseek(file, offset, SEEK_SET) == offset;
    // Grow as the data arrives, so a damaged size never turns into one huge allocation.
    const size_t step = 1 << 20;
    while (ok && out.size() < static_cast<size_t>(size)) {
        size_t want = std::min(step, static_cast<size_t>(size) - out.size());
        size_t have = out.size();
        out.resize(have + want);
        int got = gzread(file, out.data() + have, static_cast<unsigned>(want));
        if (got != static_cast<int>(want)) ok = false;
    }
    gzclose(file);
    if (!ok) {
        logMessage("Could not read asset " + name);
        out.clear();
    }
    return ok;
}
