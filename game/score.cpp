#include "game/score.h"

#include <cstdint>

namespace {
constexpr uint32_t scoreOffset = 0x5A3C96E1u;
// Unsigned, so adding the offset wraps instead of overflowing.
uint32_t heldScore = scoreOffset;
}

int getScore()
{
    return static_cast<int>(heldScore - scoreOffset);
}

void setScore(int value)
{
    heldScore = static_cast<uint32_t>(value) + scoreOffset;
}
