#include "platform/messages.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <vector>

#include <unistd.h>

#include "../wait_for_child.h"

namespace {

// Synthetic window-system events through the real queue (no display needed).
class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        platformClearMessages();
    }
    void TearDown() override
    {
        // Leave no key held for the next test.
        for (int vk : {int(SDL_SCANCODE_LSHIFT), int(SDL_SCANCODE_LCTRL), int(SDL_SCANCODE_A)})
            key(SDL_KEYUP, SDL_Scancode(vk), 0);
        drain();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    static void key(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, bool repeat = false, Uint16 mod = 0)
    {
        SDL_Event e = {};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = keycode;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void loseFocus()
    {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&e);
    }
    static bool held(int vk) { return (platformGetKeyState(vk) & 0x8000) != 0; }
    static void motion(int x, int y)
    {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }
    static void button(Uint32 type, Uint8 which, int x, int y)
    {
        SDL_Event e = {};
        e.type = type;
        e.button.button = which;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    static std::vector<WindowMessage> drain()
    {
        std::vector<WindowMessage> all;
        WindowMessage m;
        while (platformPeekMessage(m))
            all.push_back(m);
        return all;
    }
};

TEST(VirtualKeys, MappingFollowsTheClassicCodes)
{
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_A, SDLK_a), 'A');
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_Z, SDLK_z), 'Z');
    // Letters follow the layout: the key in Y's place typing "z" is 'Z'.
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_Y, SDLK_z), 'Z');
    // Digits follow the key's place, whatever the layout puts on it.
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_1, '&'), '1');
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_9, SDLK_9), '9');
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_0, SDLK_0), '0');
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), 8);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_TAB, SDLK_TAB), 9);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE), 192);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_MINUS, SDLK_MINUS), 0xBD);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_PERIOD, SDLK_PERIOD), 0xBE);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_F1, SDLK_F1), 112);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_F12, SDLK_F12), 123);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_UP, SDLK_UP), 38);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), 0xA0);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 0xA3);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_LCTRL, SDLK_LCTRL), 0xA2);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK), 0x14);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_KP_5, SDLK_KP_5), 0x65);
    EXPECT_EQ(platformVirtualKeyFor(SDL_SCANCODE_APPLICATION, SDLK_APPLICATION), 0);
}

TEST_F(MessageQueueTest, KeysBecomeKeyMessagesAndKeyState)
{
    // A key's toggle bit flips with each press all through the run, so an earlier test may have left it set.
    const int toggledBefore = platformGetKeyState('A') & 1;
    key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, true);
    key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    key(SDL_KEYDOWN, SDL_SCANCODE_APPLICATION, SDLK_APPLICATION);   // no code: no message

    // One message at a time, in order.
    WindowMessage m;
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(m.message, unsigned(WM_KEYDOWN));
    EXPECT_EQ(m.wParam, std::uintptr_t('A'));
    EXPECT_EQ((m.lParam >> 30) & 1, 0);       // first press
    EXPECT_EQ(m.lParam & 0xFFFF, 1);          // repeat count
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(m.message, unsigned(WM_KEYDOWN));
    EXPECT_EQ((m.lParam >> 30) & 1, 1);       // auto-repeat: the key was down already
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(m.message, unsigned(WM_KEYUP));
    EXPECT_EQ(m.wParam, std::uintptr_t('A'));
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(m.message, unsigned(WM_KEYDOWN));
    EXPECT_EQ(m.wParam, std::uintptr_t(VK_CONTROL));   // modifiers arrive as the generic key
    EXPECT_FALSE(platformPeekMessage(m));

    // Held bit and toggle bit: one press flipped 'A' (the repeat did not), and Ctrl is held.
    EXPECT_EQ(platformGetKeyState('A') & 0x8000, 0);
    EXPECT_EQ(platformGetKeyState('A') & 1, toggledBefore ^ 1);
    EXPECT_LT(platformGetKeyState(VK_LCONTROL), 0);
    EXPECT_LT(platformGetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(platformGetKeyState(VK_RCONTROL) & 0x8000, 0);
    key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    drain();
    EXPECT_EQ(platformGetKeyState(VK_LCONTROL) & 0x8000, 0);
    EXPECT_EQ(platformGetKeyState(VK_CONTROL) & 0x8000, 0);
    EXPECT_EQ(platformGetKeyState(-1), 0);
    EXPECT_EQ(platformGetKeyState(256), 0);
}

TEST_F(MessageQueueTest, ConsecutiveMovesMergeButOrderIsKept)
{
    motion(1, 2);
    motion(3, 4);
    motion(5, 6);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6);
    motion(7, 8);
    motion(9, 10);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 9, 10);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 9, 10);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 9, 10);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 9, 10);   // not a message of the game

    std::vector<WindowMessage> all = drain();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].message, unsigned(WM_MOUSEMOVE));
    EXPECT_EQ(loWord(std::uintptr_t(all[0].lParam)), 5u);
    EXPECT_EQ(hiWord(std::uintptr_t(all[0].lParam)), 6u);
    EXPECT_EQ(all[1].message, unsigned(WM_LBUTTONDOWN));
    EXPECT_EQ(all[2].message, unsigned(WM_MOUSEMOVE));
    EXPECT_EQ(loWord(std::uintptr_t(all[2].lParam)), 9u);
    EXPECT_EQ(all[2].wParam & 1, 1u);        // left button held during the move
    EXPECT_EQ(all[3].message, unsigned(WM_LBUTTONUP));
    EXPECT_EQ(all[4].message, unsigned(WM_RBUTTONDOWN));
    EXPECT_EQ(all[5].message, unsigned(WM_RBUTTONUP));
}

TEST_F(MessageQueueTest, WheelCarriesDeltaIn120ths)
{
    SDL_Event e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    e.wheel.preciseY = -2.0f;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&e);
    e.wheel.y = 1;
    e.wheel.preciseY = 1.0f;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    SDL_PushEvent(&e);

    std::vector<WindowMessage> all = drain();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].message, unsigned(WM_MOUSEWHEEL));
    EXPECT_EQ(std::int16_t(hiWord(all[0].wParam)), -240);
    EXPECT_EQ(std::int16_t(hiWord(all[1].wParam)), -120);
}

TEST_F(MessageQueueTest, QuitAndCloseRequests)
{
    SDL_Event e = {};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    std::vector<WindowMessage> all = drain();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].message, unsigned(WM_CLOSE));

    platformInstallCloseSignals();
    raise(SIGTERM);   // a terminated game closes as if its window were closed
    all = drain();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].message, unsigned(WM_CLOSE));
    signal(SIGTERM, SIG_DFL);

    platformPostQuitMessage();
    all = drain();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].message, unsigned(WM_QUIT));
}

// A close signal is the message pump's to take; one it never takes (a frame that cannot finish)
// ends the program once the patience has run out, by that signal, and one it took is left to the
// game's own close however long that takes.
TEST(CloseSignals, OneThePumpNeverTakesEndsTheProgram)
{
    const auto patience = std::chrono::seconds(closeSignalPatienceSeconds);
    const auto started = std::chrono::steady_clock::now();
    pid_t children[2] = {};
    for (bool taken : {false, true}) {
        pid_t child = fork();
        if (child == 0) {
            platformInstallCloseSignals();
            raise(SIGTERM);
            WindowMessage message;
            const bool closed = taken && platformPeekMessage(message) && message.message == WM_CLOSE;
            // The pump is not run again: a frame stuck for longer than the patience.
            for (auto end = std::chrono::steady_clock::now() + patience + std::chrono::seconds(2);
                 std::chrono::steady_clock::now() < end;)
                usleep(10000);
            _exit(closed ? 0 : 3);
        }
        children[taken] = child;
    }
    const ChildEnd untaken = waitForChild(children[0], patience * 4);
    const auto ended = std::chrono::steady_clock::now() - started;
    ASSERT_FALSE(untaken.refused || untaken.killed);
    EXPECT_TRUE(WIFSIGNALED(untaken.status) && WTERMSIG(untaken.status) == SIGTERM) << untaken.status;
    EXPECT_GE(ended, patience - std::chrono::milliseconds(100));
    EXPECT_EQ(waitForChild(children[1], patience * 4).exitCode(), 0);
}

// However many messages are still queued when the window loses the focus, a key held then reads
// as held while they are handled (they were typed before the loss), and as up from then on,
// unless it is pressed again; the queue cleared on the way drops those messages, not the press.
TEST_F(MessageQueueTest, FocusLossReleasesTheKeysOnceTheMessagesBeforeItAreHandled)
{
    const struct {
        const char* what;
        bool moved, handled, pressedAgain;
        std::vector<bool> held;   // '1' as each message after the loss is taken, then with none left
        bool cleared = false;     // once the first is taken the queue is cleared: '1' then, too
    } cases[] = {
        {"nothing queued", true, true, false, {false}},
        {"the key queued", false, false, false, {true, false}},
        {"the key and a move queued", true, false, false, {true, true, false}},
        {"pressed again after the loss", false, false, true, {true, true, true}},
        {"the key and a move queued, cleared", true, false, false, {true, false, false}, true},
        {"pressed again after the loss, cleared", false, false, true, {true, true, true}, true},
    };
    for (const auto& c : cases) {
        key(SDL_KEYDOWN, SDL_SCANCODE_1, SDLK_1);
        if (c.moved)
            motion(3, 4);
        if (c.handled)
            drain();
        loseFocus();
        if (c.pressedAgain)
            key(SDL_KEYDOWN, SDL_SCANCODE_1, SDLK_1);
        std::vector<bool> seen;
        WindowMessage m;
        if (c.cleared) {
            EXPECT_TRUE(platformPeekMessage(m)) << c.what;
            seen.push_back(held('1'));
            platformClearMessages();
            seen.push_back(held('1'));
        }
        while (platformPeekMessage(m))
            seen.push_back(held('1'));
        seen.push_back(held('1'));
        EXPECT_EQ(seen, c.held) << c.what;
        key(SDL_KEYUP, SDL_SCANCODE_1, SDLK_1);
        drain();
    }
}

// A pointer move merged into the one queued before it carries the keys as they stand after the
// later move: the middle button, which sends no message of its own, went down between the two.
TEST_F(MessageQueueTest, AMergedMoveCarriesTheLaterKeys)
{
    motion(1, 2);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 2);
    motion(3, 4);
    WindowMessage m;
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(m.message, unsigned(WM_MOUSEMOVE));
    EXPECT_EQ(loWord(std::uintptr_t(m.lParam)), 3u);
    EXPECT_TRUE(held(4));
    EXPECT_FALSE(platformPeekMessage(m));
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 3, 4);
    drain();
}

// Caps and Num Lock read as the key events had them, not as the window system has them when the
// queue is pumped: the events here claim the opposite of what it reports now.
TEST_F(MessageQueueTest, LocksReadAsTheLastKeyHadThem)
{
    const Uint16 now = SDL_GetModState();
    const Uint16 claimed = Uint16(((now & KMOD_CAPS) ? 0 : KMOD_CAPS) | ((now & KMOD_NUM) ? 0 : KMOD_NUM));
    const short caps = (claimed & KMOD_CAPS) ? 1 : 0, num = (claimed & KMOD_NUM) ? 1 : 0;
    key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, false, claimed);
    WindowMessage m;
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_EQ(platformGetKeyState(VK_CAPITAL) & 1, caps);
    EXPECT_EQ(platformGetKeyState(VK_NUMLOCK) & 1, num);
    // Later pumps bring only a pointer move, then nothing: the locks stay as the key had them.
    motion(5, 6);
    ASSERT_TRUE(platformPeekMessage(m));
    EXPECT_FALSE(platformPeekMessage(m));
    EXPECT_EQ(platformGetKeyState(VK_CAPITAL) & 1, caps);
    EXPECT_EQ(platformGetKeyState(VK_NUMLOCK) & 1, num);
}

} // namespace
