// Allocation tracker: raw engine buffers are allocated through these calls with their
// source file and line, and every live block is recorded until it is freed.
#pragma once
#include <cstddef>

void* trackedAlloc(std::size_t size, const char* file, int line);
void trackedFree(void* block);

// A raw buffer of `count` trivially-constructible T, tracked with this file and line.
#define TS_ALLOC(T, count) static_cast<T*>(trackedAlloc(sizeof(T) * static_cast<std::size_t>(count), __FILE__, __LINE__))
#define TS_FREE(block) trackedFree(block)
