#include "engine/config.h"
#include "game/input.h"

#include <gtest/gtest.h>

// Which hold turns the view, by mouse scheme: the left button in schemes 0 and 2, the rotate
// drag in scheme 1, and neither flag alone in the other schemes.
TEST(ViewDragging, FollowsTheMouseScheme)
{
    struct Case {
        int scheme;
        bool left, rotate, turns;
    };
    const Case cases[] = {
        {0, true, false, true},  {0, false, true, false}, {2, true, false, true}, {2, false, true, false},
        {1, true, false, false}, {1, false, true, true},  {1, false, false, false},
    };
    for (const Case& c : cases) {
        mouseFlip = c.scheme;
        leftButtonDown = c.left;
        rotateDragActive = c.rotate;
        EXPECT_EQ(viewDragging(), c.turns) << c.scheme << " " << c.left << " " << c.rotate;
    }
    mouseFlip = 0;
    leftButtonDown = rotateDragActive = false;
}
