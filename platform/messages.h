// The window message queue: window-system events turned into window messages with the classic
// numeric codes and parameter packing, so the window procedure and the input code read the way
// the game was designed (virtual-key codes, LOWORD/HIWORD positions, wheel deltas of 120 a notch).
#pragma once
#include <cstdint>

enum WindowMessageCode : unsigned {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_SIZE = 0x0005,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_SYSCOMMAND = 0x0112,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MOUSEWHEEL = 0x020A,
};

// WM_SIZE kinds (wParam).
enum : unsigned { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// Virtual-key codes the game's code names.
enum VirtualKey : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
    VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
    VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

struct WindowMessage {
    unsigned message = WM_NULL;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

inline std::intptr_t makeLParam(unsigned low, unsigned high)
{
    return std::intptr_t((std::uint32_t(high & 0xFFFF) << 16) | (low & 0xFFFF));
}
inline unsigned loWord(std::uintptr_t value) { return unsigned(value & 0xFFFF); }
inline unsigned hiWord(std::uintptr_t value) { return unsigned((value >> 16) & 0xFFFF); }

// Takes the oldest queued message, first moving any pending window-system events into the queue.
// Consecutive pointer moves are merged into the last one, so one message a frame never lags the pointer.
bool platformPeekMessage(WindowMessage& message);
// Appends a message (WM_QUIT from the quit path; tests feed events this way).
void platformPostMessage(const WindowMessage& message);
void platformPostQuitMessage();
// Number of messages waiting (after the pending events are moved in).
int platformPendingMessages();
void platformClearMessages();

// The key's state as GetKeyState reports it: bit 0x8000 set while held, bit 1 the toggle state
// (Caps Lock on, or flipped by every press for other keys). vk 0..255; 0 for anything else.
// It answers as of the message last taken, not as of now: while a key's message is handled the
// modifiers read as they were when it was typed, and a key released before its key-down message
// is taken still reads as held then. Once the messages queued before a focus loss are handled,
// no key reads as held until it is pressed again.
short platformGetKeyState(int vk);

// A window-system scan code (SDL's) and key code to a virtual-key code, 0 for a key with none.
int platformVirtualKeyFor(int scancode, int keycode);

// SIGTERM and SIGINT become a WM_CLOSE, so a terminated game still saves and ends cleanly. One the
// message pump has not taken within the patience (a frame that cannot finish) ends the program as
// that signal does without a handler.
constexpr unsigned closeSignalPatienceSeconds = 5;
void platformInstallCloseSignals();
