// Allocation tracker: raw engine buffers are allocated through these calls with their
// source file and line, and every live block is recorded until it is freed, so the blocks
// still alive can be listed in "mem.txt". Explicit calls rather than a replacement of the
// global operator new/delete, so the sanitizers keep their own allocator.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct AllocationRecord {
    void* address = nullptr;
    std::size_t size = 0;
    std::string file;   // at most 255 characters
    int line = 0;
};

// Live tracked blocks in allocation order.
extern std::vector<AllocationRecord> allocations;

// The largest block handed out; a larger request fails like an exhausted heap. Tests lower it to
// walk the callers' failure paths.
extern std::size_t trackedBlockLimit;

// A new block, or null when it cannot be had (nothing is recorded then): every caller checks.
void* trackedAlloc(std::size_t size, const char* file, int line);
// Resizes a tracked block (null: a new one), keeping its record. On failure returns null; the old
// block then stays valid and tracked.
void* trackedRealloc(void* block, std::size_t size, const char* file, int line);
void trackedFree(void* block);
void trackAllocation(void* address, std::size_t size, const char* file, int line);
// Forgets the first record of that address; an untracked address changes nothing.
void untrackAllocation(void* address);
// Writes "mem.txt" in the working directory: one line per live block and the total.
void writeMemoryReport();

// A raw buffer of `count` trivially-constructible T, tracked with this file and line.
#define TS_ALLOC(T, count) static_cast<T*>(trackedAlloc(sizeof(T) * static_cast<std::size_t>(count), __FILE__, __LINE__))
#define TS_REALLOC(T, block, count) \
    static_cast<T*>(trackedRealloc(block, sizeof(T) * static_cast<std::size_t>(count), __FILE__, __LINE__))
#define TS_FREE(block) trackedFree(block)
