#include "game/mass.h"

#include <gtest/gtest.h>

TEST(MassRatio, ALevelWithoutALimitHasNoDanger)
{
    massLimit = 54.0f;
    massLevel = 27.0f;
    EXPECT_FLOAT_EQ(massRatio(), 0.5f);
    massLevel = 81.0f;
    EXPECT_FLOAT_EQ(massRatio(), 1.5f);
    massLimit = 0.0f;
    EXPECT_EQ(massRatio(), 0.0f);
    massLevel = 0.0f;
    massLimit = 54.0f;
}
