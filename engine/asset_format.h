// The layout of data/assets.ass, shared by the game's reader and the pack builder.
//
// The file is one gzip stream. Its uncompressed content starts with the index:
//   i32 header length L, L bytes of header text (ignored by the game),
//   i32 entry count N, then N times: i32 name length n, n name bytes, i32 offset, i32 size.
// All numbers are little-endian 32-bit signed integers. Offsets count from the first
// uncompressed byte; the asset bytes follow the index, each at its offset.
//
// This file depends only on zlib and the standard library: the pack builder links it too.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AssetIndexEntry {
    std::string name;
    int32_t offset = 0;
    int32_t size = 0;
};

// The header text our builder writes; the game never reads it.
extern const char* const assetPackHeaderText;

// Lengths beyond these are treated as damage rather than allocated.
constexpr int32_t maxAssetHeaderLength = 1 << 20;
constexpr int32_t maxAssetNameLength = 4096;
// The game's pack holds 313 assets: every texture in two sizes, the sounds, meshes, fonts and
// levels. A count beyond this is damage; reading it would mean millions of empty entries.
constexpr int32_t maxAssetEntries = 4096;

// How an index read ended.
enum class AssetIndexStatus {
    Complete,          // every entry the count promised was read
    Truncated,         // the data ended inside the index
    BadHeaderLength,   // L negative or beyond maxAssetHeaderLength
    BadEntryCount,     // N negative or beyond maxAssetEntries
    BadNameLength,     // n negative or beyond maxAssetNameLength
    BadEntryRange,     // offset or size negative, or offset + size beyond 2^31 - 1
};

const char* assetIndexStatusText(AssetIndexStatus status);

// Reads up to `count` bytes into `buffer`; returns the number read (less at the end, or on an error).
using AssetByteSource = std::function<long(void* buffer, unsigned count)>;

// Parses the index from `source`. Entries read before a fault are kept in `entries`.
AssetIndexStatus parseAssetIndex(const AssetByteSource& source, std::vector<AssetIndexEntry>& entries);

// Same, reading an open gzip stream; the stream is left right after the index.
AssetIndexStatus parseAssetIndex(gzFile file, std::vector<AssetIndexEntry>& entries);

// Number of bytes the index takes for these names and this header text.
int64_t assetIndexLength(const std::vector<std::string>& names, const std::string& headerText);

// Serialises the index. The entries' offsets and sizes are written as given.
std::vector<unsigned char> encodeAssetIndex(const std::vector<AssetIndexEntry>& entries,
                                            const std::string& headerText);

void appendInt32LE(std::vector<unsigned char>& out, int32_t value);
int32_t readInt32LE(const unsigned char* bytes);
