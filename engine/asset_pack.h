// The asset pack: the index of data/assets.ass and the lookups every loader uses.
#pragma once
#include "engine/asset_format.h"

#include <string>
#include <vector>

// The pack's path relative to the working directory; tests point it elsewhere.
extern std::string assetPackPath;
// The index in file order; empty when the pack could not be read.
extern std::vector<AssetIndexEntry> assetIndex;
// The stream that read the index, left open for the texture streamer; null without a pack.
extern gzFile assetPackFile;

// Reads the index once at start-up. A damaged index keeps the entries read before the damage;
// a file that is not gzip is accepted only when its whole index reads cleanly.
void readAssetIndex();
// Closes assetPackFile (shut-down).
void closeAssetPack();

// Offset / size of the named asset in the uncompressed pack, -1 when it is not in the index.
int getAssetOffset(std::string name);
int getAssetSize(std::string name);

// The loaders' reading pattern in one call: look up, open the pack anew, gzseek, gzread, gzclose.
// Returns false (and logs) when the asset is missing or its bytes cannot all be read.
bool readAssetBytes(const std::string& name, std::vector<unsigned char>& out);
