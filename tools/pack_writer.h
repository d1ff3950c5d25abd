// Writes data/assets.ass: the index, then every asset in the given order, as one gzip stream.
#pragma once
#include "engine/asset_format.h"
#include "tools/pack_assets.h"

#include <string>
#include <vector>

// The index entries the assets get, in order (offsets after the index). False with a reason when
// a name repeats, a name is too long or the pack would pass 2^31 - 1 bytes.
bool layoutAssetPack(const std::vector<PackAsset>& assets, std::vector<AssetIndexEntry>& entries,
                     std::string& error);

// Compresses the index and the assets into `out`. The gzip header carries no time, name or
// host, so the same assets always give the same bytes.
bool compressAssetPack(const std::vector<PackAsset>& assets, std::vector<unsigned char>& out,
                       std::string& error);

// Writes the pack to `path` through a temporary file and a rename, so a failed build never
// leaves half a pack behind.
bool writeAssetPack(const std::string& path, const std::vector<PackAsset>& assets, std::string& error);
