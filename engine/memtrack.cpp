#include "engine/memtrack.h"

#include "engine/util.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

std::vector<AllocationRecord> allocations;
std::size_t trackedBlockLimit = SIZE_MAX;

static AllocationRecord makeRecord(void* address, std::size_t size, const char* file, int line)
{
    AllocationRecord record;
    record.address = address;
    record.size = size;
    record.file = file ? std::string(file).substr(0, 255) : std::string();
    record.line = line;
    return record;
}

void trackAllocation(void* address, std::size_t size, const char* file, int line)
{
    allocations.push_back(makeRecord(address, size, file, line));
}

void untrackAllocation(void* address)
{
    for (std::size_t i = 0; i < allocations.size(); i++) {
        if (allocations[i].address == address) {
            allocations.erase(allocations.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void* trackedAlloc(std::size_t size, const char* file, int line)
{
    // malloc(0) may return null or a unique block; ask for one byte so every block is unique.
    void* block = size > trackedBlockLimit ? nullptr : std::malloc(size ? size : 1);
    if (!block)
        return nullptr;
    trackAllocation(block, size, file, line);
    return block;
}

void* trackedRealloc(void* block, std::size_t size, const char* file, int line)
{
    if (!block)
        return trackedAlloc(size, file, line);
    // Found before the move: the old address must not be compared once it is freed.
    std::size_t index = 0;
    while (index < allocations.size() && allocations[index].address != block)
        index++;
    void* moved = size > trackedBlockLimit ? nullptr : std::realloc(block, size ? size : 1);
    if (!moved)
        return nullptr;
    if (index == allocations.size())
        trackAllocation(moved, size, file, line);
    else
        allocations[index] = makeRecord(moved, size, file, line);
    return moved;
}

void trackedFree(void* block)
{
    if (!block)
        return;
    untrackAllocation(block);
    std::free(block);
}

void writeMemoryReport()
{
    FILE* f = std::fopen("mem.txt", "w");
    if (!f)
        return;
    unsigned long long total = 0;
    for (const AllocationRecord& record : allocations) {
        std::size_t slash = record.file.find_last_of("\\/");
        std::string name = slash == std::string::npos ? record.file : record.file.substr(slash + 1);
        // The whole address, not its low 32 bits.
        std::intptr_t address = reinterpret_cast<std::intptr_t>(record.address);
        std::fprintf(f, "%-20s:\t\tLINE %d,\t\tADDRESS %" PRIdPTR "\t%s unfreed\n", name.c_str(), record.line,
                     address, groupDigits(std::to_string(record.size)).c_str());
        total += record.size;
    }
    std::fprintf(f, "%s\n", std::string(59, '-').c_str());
    std::fprintf(f, "Total Unfreed: %s bytes\n", groupDigits(std::to_string(total)).c_str());
    std::fclose(f);
}
