#include "engine/memtrack.h"

#include <cstdlib>

// Placeholder bodies: the records and "mem.txt" come with the tracker module.
void* trackedAlloc(std::size_t size, const char*, int)
{
    return std::malloc(size ? size : 1);
}

void trackedFree(void* block)
{
    std::free(block);
}
