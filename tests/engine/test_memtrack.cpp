#include "engine/memtrack.h"
#include "engine/util.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>

TEST(MemTrack, RecordsLiveBlocksAndForgetsFreedOnes)
{
    std::size_t before = allocations.size();
    int* numbers = TS_ALLOC(int, 100);
    char* text = TS_ALLOC(char, 10);
    ASSERT_EQ(allocations.size(), before + 2);
    const AllocationRecord& first = allocations[before];
    EXPECT_EQ(first.address, numbers);
    EXPECT_EQ(first.size, 400u);
    EXPECT_NE(first.file.find("test_memtrack.cpp"), std::string::npos);
    EXPECT_GT(first.line, 0);
    numbers[99] = 7;   // the whole block is usable (ASan checks)

    TS_FREE(numbers);
    ASSERT_EQ(allocations.size(), before + 1);
    EXPECT_EQ(allocations[before].address, text);

    // Untracked and null addresses change nothing.
    int local = 0;
    untrackAllocation(&local);
    TS_FREE(static_cast<char*>(nullptr));
    EXPECT_EQ(allocations.size(), before + 1);
    TS_FREE(text);
    EXPECT_EQ(allocations.size(), before);

    // A zero-sized request is still a real, distinct block.
    char* a = TS_ALLOC(char, 0);
    char* b = TS_ALLOC(char, 0);
    EXPECT_NE(a, b);
    TS_FREE(a);
    TS_FREE(b);
    EXPECT_EQ(allocations.size(), before);

    // Long file names are cut to 255 characters.
    std::string longName(400, 'x');
    void* block = trackedAlloc(8, longName.c_str(), 3);
    EXPECT_EQ(allocations.back().file.size(), 255u);
    trackedFree(block);
}

// A block that cannot be had is null and unrecorded, never a null "success"; a failed resize
// leaves the old block valid and tracked.
TEST(MemTrack, FailedRequestsReturnNullAndRecordNothing)
{
    const std::size_t before = allocations.size();
    trackedBlockLimit = 64;
    EXPECT_EQ(trackedAlloc(65, "a.cpp", 1), nullptr);
    EXPECT_EQ(TS_REALLOC(char, nullptr, 65), nullptr);
    EXPECT_EQ(allocations.size(), before);
    char* block = TS_ALLOC(char, 64);
    ASSERT_NE(block, nullptr);
    block[63] = 5;
    EXPECT_EQ(TS_REALLOC(char, block, 65), nullptr);
    ASSERT_EQ(allocations.size(), before + 1);
    EXPECT_EQ(allocations.back().address, block);
    EXPECT_EQ(block[63], 5);

    trackedBlockLimit = SIZE_MAX;
    char* grown = TS_REALLOC(char, block, 1 << 20);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[63], 5);
    ASSERT_EQ(allocations.size(), before + 1);
    EXPECT_EQ(allocations.back().address, grown);
    EXPECT_EQ(allocations.back().size, 1u << 20);
    TS_FREE(grown);
    EXPECT_EQ(allocations.size(), before);
}

TEST(MemTrack, ReportListsWholeAddressesAndTheTotal)
{
    ScratchFolder folder;
    void* big = trackedAlloc(1234567, "engine\\engine_sound.cpp", 42);
    void* small = trackedAlloc(10, "/src/engine/atlas.cpp", 7);
    unsigned long long total = 0;
    for (const AllocationRecord& record : allocations)
        total += record.size;
    writeMemoryReport();
    std::string report = readFile("mem.txt");
    trackedFree(big);
    trackedFree(small);

    char expected[256];
    std::snprintf(expected, sizeof expected, "%-20s:\t\tLINE %d,\t\tADDRESS %" PRIdPTR "\t%s unfreed\n",
                  "engine_sound.cpp", 42, reinterpret_cast<std::intptr_t>(big), "1,234,567");
    EXPECT_NE(report.find(expected), std::string::npos) << report;
    std::snprintf(expected, sizeof expected, "%-20s:\t\tLINE %d,\t\tADDRESS %" PRIdPTR "\t%s unfreed\n",
                  "atlas.cpp", 7, reinterpret_cast<std::intptr_t>(small), "10");
    EXPECT_NE(report.find(expected), std::string::npos) << report;
    EXPECT_NE(report.find(std::string(59, '-') + "\n"), std::string::npos);
    EXPECT_NE(report.find("Total Unfreed: " + groupDigits(std::to_string(total)) + " bytes\n"), std::string::npos)
        << report;
}
