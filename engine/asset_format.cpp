#include "engine/asset_format.h"

#include <climits>

const char* const assetPackHeaderText = "Tessarine asset pack";

const char* assetIndexStatusText(AssetIndexStatus status) {
    switch (status) {
    case AssetIndexStatus::Complete: return "complete";
    case AssetIndexStatus::Truncated: return "pack ends inside the index";
    case AssetIndexStatus::BadHeaderLength: return "bad header length";
    case AssetIndexStatus::BadEntryCount: return "bad entry count";
    case AssetIndexStatus::BadNameLength: return "bad name length";
    case AssetIndexStatus::BadEntryRange: return "bad offset or size";
    }
    return "unknown";
}

void appendInt32LE(std::vector<unsigned char>& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xff));
}

int32_t readInt32LE(const unsigned char* bytes) {
    uint32_t v = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                 (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return static_cast<int32_t>(v);
}

namespace {

bool readExactly(const AssetByteSource& source, void* buffer, unsigned count) {
    unsigned char* out = static_cast<unsigned char*>(buffer);
    unsigned done = 0;
    while (done < count) {
        long got = source(out + done, count - done);
        if (got <= 0) return false;
        done += static_cast<unsigned>(got);
    }
    return true;
}

bool readInt32(const AssetByteSource& source, int32_t& value) {
    unsigned char bytes[4];
    if (!readExactly(source, bytes, 4)) return false;
    value = readInt32LE(bytes);
    return true;
}

// Skips the header text in small steps, so a damaged length never becomes a large allocation.
bool skipBytes(const AssetByteSource& source, int32_t count) {
    unsigned char scratch[4096];
    while (count > 0) {
        unsigned step = count > static_cast<int32_t>(sizeof scratch) ? sizeof scratch : static_cast<unsigned>(count);
        if (!readExactly(source, scratch, step)) return false;
        count -= static_cast<int32_t>(step);
    }
    return true;
}

} // namespace

AssetIndexStatus parseAssetIndex(const AssetByteSource& source, std::vector<AssetIndexEntry>& entries) {
    int32_t headerLength = 0;
    if (!readInt32(source, headerLength)) return AssetIndexStatus::Truncated;
    if (headerLength < 0 || headerLength > maxAssetHeaderLength) return AssetIndexStatus::BadHeaderLength;
    if (!skipBytes(source, headerLength)) return AssetIndexStatus::Truncated;

    int32_t count = 0;
    if (!readInt32(source, count)) return AssetIndexStatus::Truncated;
    if (count < 0 || count > maxAssetEntries) return AssetIndexStatus::BadEntryCount;

    // No reserve(count): a damaged count must not allocate; the data runs out first.
    for (int32_t i = 0; i < count; ++i) {
        int32_t nameLength = 0;
        if (!readInt32(source, nameLength)) return AssetIndexStatus::Truncated;
        if (nameLength < 0 || nameLength > maxAssetNameLength) return AssetIndexStatus::BadNameLength;
        AssetIndexEntry entry;
        entry.name.resize(static_cast<size_t>(nameLength));
        if (nameLength > 0 && !readExactly(source, &entry.name[0], static_cast<unsigned>(nameLength)))
            return AssetIndexStatus::Truncated;
        if (!readInt32(source, entry.offset) || !readInt32(source, entry.size)) return AssetIndexStatus::Truncated;
        if (entry.offset < 0 || entry.size < 0 ||
            static_cast<int64_t>(entry.offset) + entry.size > static_cast<int64_t>(INT32_MAX))
            return AssetIndexStatus::BadEntryRange;
        entries.push_back(std::move(entry));
    }
    return AssetIndexStatus::Complete;
}

AssetIndexStatus parseAssetIndex(gzFile file, std::vector<AssetIndexEntry>& entries) {
    AssetByteSource source = [file](void* buffer, unsigned count) -> long {
        return gzread(file, buffer, count);
    };
    return parseAssetIndex(source, entries);
}

int64_t assetIndexLength(const std::vector<std::string>& names, const std::string& headerText) {
    int64_t length = 4 + static_cast<int64_t>(headerText.size()) + 4;
    for (const std::string& name : names) length += 4 + static_cast<int64_t>(name.size()) + 4 + 4;
    return length;
}

std::vector<unsigned char> encodeAssetIndex(const std::vector<AssetIndexEntry>& entries,
                                            const std::string& headerText) {
    std::vector<unsigned char> out;
    appendInt32LE(out, static_cast<int32_t>(headerText.size()));
    out.insert(out.end(), headerText.begin(), headerText.end());
    appendInt32LE(out, static_cast<int32_t>(entries.size()));
    for (const AssetIndexEntry& entry : entries) {
        appendInt32LE(out, static_cast<int32_t>(entry.name.size()));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        appendInt32LE(out, entry.offset);
        appendInt32LE(out, entry.size);
    }
    return out;
}
