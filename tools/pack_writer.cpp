#include "tools/pack_writer.h"

#include <climits>
#include <cstdio>
#include <set>

bool layoutAssetPack(const std::vector<PackAsset>& assets, std::vector<AssetIndexEntry>& entries,
                     std::string& error) {
    entries.clear();
    if (assets.size() > static_cast<size_t>(maxAssetEntries)) {
        error = "more than " + std::to_string(maxAssetEntries) + " assets";
        return false;
    }
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const PackAsset& asset : assets) {
        if (asset.name.size() > static_cast<size_t>(maxAssetNameLength)) {
            error = "asset name too long: " + asset.name;
            return false;
        }
        if (!seen.insert(asset.name).second) {
            error = "asset name repeats: " + asset.name;
            return false;
        }
        names.push_back(asset.name);
    }
    int64_t position = assetIndexLength(names, assetPackHeaderText);
    for (const PackAsset& asset : assets) {
        int64_t end = position + static_cast<int64_t>(asset.data.size());
        if (end > INT32_MAX) {
            error = "pack passes 2 GiB at " + asset.name;
            return false;
        }
        AssetIndexEntry entry;
        entry.name = asset.name;
        entry.offset = static_cast<int32_t>(position);
        entry.size = static_cast<int32_t>(asset.data.size());
        entries.push_back(entry);
        position = end;
    }
    return true;
}

namespace {

// Feeds one block of input through deflate, appending whatever comes out.
bool deflateBlock(z_stream& stream, const unsigned char* data, size_t size, int flush,
                  std::vector<unsigned char>& out) {
    unsigned char chunk[1 << 16];
    const size_t maxStep = 1u << 30;
    do {
        size_t step = size < maxStep ? size : maxStep;
        stream.next_in = const_cast<unsigned char*>(data);
        stream.avail_in = static_cast<uInt>(step);
        int mode = step == size ? flush : Z_NO_FLUSH;
        int result;
        do {
            stream.next_out = chunk;
            stream.avail_out = sizeof chunk;
            result = deflate(&stream, mode);
            if (result == Z_STREAM_ERROR) return false;
            out.insert(out.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        } while (stream.avail_out == 0 || (mode == Z_FINISH && result != Z_STREAM_END));
        data += step;
        size -= step;
    } while (size > 0);
    return true;
}

} // namespace

bool compressAssetPack(const std::vector<PackAsset>& assets, std::vector<unsigned char>& out,
                       std::string& error) {
    std::vector<AssetIndexEntry> entries;
    if (!layoutAssetPack(assets, entries, error)) return false;
    std::vector<unsigned char> index = encodeAssetIndex(entries, assetPackHeaderText);

    z_stream stream{};
    // 15 + 16: a gzip wrapper rather than zlib's own.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        error = "deflateInit2 failed";
        return false;
    }
    gz_header header{};
    header.time = 0;
    header.os = 255;  // "unknown": the same on every build host
    deflateSetHeader(&stream, &header);

    out.clear();
    bool ok = deflateBlock(stream, index.data(), index.size(), Z_NO_FLUSH, out);
    for (const PackAsset& asset : assets) {
        if (!ok) break;
        if (!asset.data.empty()) ok = deflateBlock(stream, asset.data.data(), asset.data.size(), Z_NO_FLUSH, out);
    }
    if (ok) ok = deflateBlock(stream, nullptr, 0, Z_FINISH, out);
    deflateEnd(&stream);
    if (!ok) error = "deflate failed";
    return ok;
}

bool writeAssetPack(const std::string& path, const std::vector<PackAsset>& assets, std::string& error) {
    std::vector<unsigned char> packed;
    if (!compressAssetPack(assets, packed, error)) return false;
    std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = "cannot write " + temporary;
        return false;
    }
    bool ok = std::fwrite(packed.data(), 1, packed.size(), file) == packed.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}
