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

// The one scan of the index, logged in the words of the field asked for.
const AssetIndexEntry* findAsset(const std::string& name, const char* field) {
    logMessage(std::string("Looking up ") + field + " for " + name);
    for (const AssetIndexEntry& entry : assetIndex) {
        if (entry.name != name) continue;
        logMessage(std::string("found ") + field);
        return &entry;
    }
    return nullptr;
}

} // namespace

AssetLocation lookUpAsset(const std::string& name) {
    const AssetIndexEntry* entry = findAsset(name, "offset");
    // The size comes from the same entry; only its log lines are repeated.
    logMessage("Looking up size for " + name);
    if (!entry) return AssetLocation();
    logMessage("found size");
    return AssetLocation{entry->offset, entry->size};
}

int getAssetOffset(std::string name) {
    const AssetIndexEntry* entry = findAsset(name, "offset");
    return entry ? entry->offset : -1;
}

int getAssetSize(std::string name) {
    const AssetIndexEntry* entry = findAsset(name, "size");
    return entry ? entry->size : -1;
}

bool readPackBytes(int offset, int size, std::vector<unsigned char>& out) {
    out.clear();
    if (offset < 0 || size < 0) return false;
    gzFile file = gzopen(assetPackPath.c_str(), "rb");
    if (!file) return false;
    bool ok = gzseek(file, offset, SEEK_SET) == offset;
    const size_t step = 1 << 20;
    while (ok && out.size() < static_cast<size_t>(size)) {
        size_t want = std::min(step, static_cast<size_t>(size) - out.size());
        size_t have = out.size();
        out.resize(have + want);
        int got = gzread(file, out.data() + have, static_cast<unsigned>(want));
        if (got != static_cast<int>(want)) ok = false;
    }
    gzclose(file);
    if (!ok) out.clear();
    return ok;
}

bool readAssetBytes(const std::string& name, std::vector<unsigned char>& out) {
    out.clear();
    const AssetLocation at = lookUpAsset(name);
    if (at.offset < 0 || at.size < 0) {
        logMessage("Missing asset " + name);
        return false;
    }
    if (!readPackBytes(at.offset, at.size, out)) {
        logMessage("Could not read asset " + name);
        return false;
    }
    return true;
}
