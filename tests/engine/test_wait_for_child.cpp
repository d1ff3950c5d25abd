// The tests' own wait for a child (tests/wait_for_child.h).
#include "../wait_for_child.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The pids the stand-in calls were given; they never reach a process. Waited for, the child still
// runs, so a helper that let a pid past would go on to kill it.
std::vector<pid_t> reached;

ChildCalls standIns()
{
    ChildCalls calls;
    calls.waitid = [](idtype_t, id_t id, siginfo_t* info, int) {
        reached.push_back(static_cast<pid_t>(id));
        *info = siginfo_t{};
        return 0;
    };
    calls.waitpid = [](pid_t pid, int*, int) {
        reached.push_back(pid);
        return pid_t(-1);
    };
    calls.kill = [](pid_t pid, int) {
        reached.push_back(pid);
        return 0;
    };
    return calls;
}

// A failed fork's -1, or 0, names no child: refused before any wait or signal. Real children beside
// them: one that ends is reaped with its exit code, one that outlasts the patience is killed.
TEST(WaitForChild, RefusesAPidOfNoChildAndEndsItsOwn)
{
    for (pid_t none : {-1, 0}) {
        reached.clear();
        const ChildEnd end = waitForChild(none, std::chrono::milliseconds(0), {}, standIns());
        EXPECT_TRUE(end.refused) << none;
        EXPECT_EQ(end.exitCode(), -1) << none;
        EXPECT_TRUE(reached.empty()) << none << " was waited for or signalled";
    }

    const pid_t ends = fork();
    if (ends == 0)
        _exit(3);
    ASSERT_GT(ends, 0);
    bool looked = false;
    const ChildEnd ended = waitForChild(ends, std::chrono::minutes(1), [&] { looked = true; });
    EXPECT_EQ(ended.exitCode(), 3);
    EXPECT_TRUE(looked);

    const pid_t runs = fork();
    if (runs == 0) {
        pause();
        _exit(0);
    }
    ASSERT_GT(runs, 0);
    const ChildEnd killed = waitForChild(runs, std::chrono::milliseconds(50));
    EXPECT_TRUE(killed.killed);
    EXPECT_TRUE(WIFSIGNALED(killed.status) && WTERMSIG(killed.status) == SIGKILL) << killed.status;
    EXPECT_EQ(killed.exitCode(), -1);
}

} // namespace
