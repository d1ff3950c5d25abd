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

// Where an asset lies in the uncompressed pack; both -1 when the index does not hold it.
struct AssetLocation {
    int offset = -1;
    int size = -1;
};

// Offset and size of the named asset from one scan of the index. The log reads as the two
// lookups below in turn.
AssetLocation lookUpAsset(const std::string& name);
// Offset / size alone, -1 when the asset is not in the index.
int getAssetOffset(std::string name);
int getAssetSize(std::string name);

// Reads `size` bytes at `offset` of the uncompressed pack through a stream opened anew. The
// buffer grows as the bytes arrive, so a damaged size never turns into one large allocation.
// False (and `out` empty) unless every byte was read.
bool readPackBytes(int offset, int size, std::vector<unsigned char>& out);
// The loaders' reading pattern in one call: look up, then readPackBytes.
// Returns false (and logs) when the asset is missing or its bytes cannot all be read.
bool readAssetBytes(const std::string& name, std::vector<unsigned char>& out);
