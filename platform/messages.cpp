#include "platform/messages.h"

#include "platform/video.h"

#include <SDL2/SDL.h>

#include <bitset>
#include <cmath>
#include <csignal>
#include <signal.h>
#include <cstdlib>
#include <deque>
#include <unistd.h>

namespace {

struct KeyStates {
    std::bitset<256> held;
    std::bitset<256> toggled;
};

// Each message carries the keys as they stood right after its event, so a handler reads the
// modifiers a key was typed with, and a tap shorter than a frame still reads as down.
struct QueuedMessage {
    WindowMessage message;
    KeyStates keys;
    bool lastBeforeFocusLoss = false;   // once it is handled, no key reads as held
};

std::deque<QueuedMessage> queue;
// The newest queued message is a pointer move from the window system (posted ones are kept).
bool backIsPointerMove = false;
KeyStates liveKeys;      // as the window system's events have come in
KeyStates handledKeys;   // as of the message last taken: what platformGetKeyState answers
bool releaseHandledKeys = false;   // the message last taken was the last before a focus loss
volatile std::sig_atomic_t closeRequested = 0;
volatile std::sig_atomic_t closeSignal = 0;   // the signal the watchdog waits on, 0 while it waits on none

void onCloseSignal(int number)
{
    closeRequested = 1;
    // A frame that cannot finish never takes the request: the watchdog then ends the program.
    if (!closeSignal) {
        closeSignal = number;
        alarm(closeSignalPatienceSeconds);
    }
}

void onCloseUnanswered(int)
{
    const int number = closeSignal;
    if (!closeRequested || !number) {
        closeSignal = 0;
        return;
    }
    static const char line[] = "A close signal was not taken in time: ending\n";
    [[maybe_unused]] const ssize_t written = write(2, line, sizeof line - 1);
    // Ended by the signal itself, as without a handler.
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(number, &plain, nullptr);
    raise(number);
    _exit(128 + number);
}

void push(unsigned code, std::uintptr_t wParam, std::intptr_t lParam)
{
    WindowMessage message;
    message.message = code;
    message.wParam = wParam;
    message.lParam = lParam;
    queue.push_back({message, liveKeys});
    backIsPointerMove = false;
}

// Modifier keys arrive as their generic code, as the classic key messages had them.
int genericKey(int vk)
{
    switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vk;
    }
}

void setKey(int vk, bool down, bool repeat)
{
    if (vk <= 0 || vk > 255)
        return;
    if (down && !repeat && !liveKeys.held[vk])
        liveKeys.toggled.flip(vk);
    liveKeys.held[vk] = down;
}

std::uintptr_t mouseKeyFlags()
{
    std::uintptr_t flags = 0;
    const std::bitset<256>& held = liveKeys.held;
    if (held[1]) flags |= 0x0001;             // MK_LBUTTON
    if (held[2]) flags |= 0x0002;             // MK_RBUTTON
    if (held[VK_SHIFT]) flags |= 0x0004;      // MK_SHIFT
    if (held[VK_CONTROL]) flags |= 0x0008;    // MK_CONTROL
    if (held[4]) flags |= 0x0010;             // MK_MBUTTON
    return flags;
}

std::intptr_t pointerParam(int x, int y)
{
    // Positions travel as 16-bit words, as they did in the classic message.
    return makeLParam(unsigned(x) & 0xFFFF, unsigned(y) & 0xFFFF);
}

void translateKey(const SDL_KeyboardEvent& key, bool down)
{
    int vk = platformVirtualKeyFor(key.keysym.scancode, key.keysym.sym);
    if (vk == 0)
        return;
    int generic = genericKey(vk);
    bool repeat = key.repeat != 0;
    const std::bitset<256>& held = liveKeys.held;
    bool wasHeld = held[generic];
    setKey(vk, down, repeat);
    if (generic != vk) {
        // The generic modifier is held while either side is.
        bool other = false;
        if (generic == VK_SHIFT) other = held[VK_LSHIFT] || held[VK_RSHIFT];
        if (generic == VK_CONTROL) other = held[VK_LCONTROL] || held[VK_RCONTROL];
        if (generic == VK_MENU) other = held[VK_LMENU] || held[VK_RMENU];
        setKey(generic, other, repeat || (down && wasHeld));
    }
    // The locks as the window system had them when this key went down or up.
    liveKeys.toggled[VK_CAPITAL] = (key.keysym.mod & KMOD_CAPS) != 0;
    liveKeys.toggled[VK_NUMLOCK] = (key.keysym.mod & KMOD_NUM) != 0;
    // Repeat count 1, scan code in bits 16..23, previous state in bit 30, transition in bit 31.
    std::intptr_t lParam = 1 | (std::intptr_t(key.keysym.scancode & 0xFF) << 16);
    if (!down || wasHeld || repeat)
        lParam |= std::intptr_t(1) << 30;
    if (!down)
        lParam |= std::intptr_t(1) << 31;
    push(down ? WM_KEYDOWN : WM_KEYUP, std::uintptr_t(generic), lParam);
}

void translateWindowEvent(const SDL_WindowEvent& event)
{
    SDL_Window* window = SDL_GetWindowFromID(event.windowID);
    int width = 0, height = 0;
    if (window)
        SDL_GetWindowSize(window, &width, &height);
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        push(WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        push(WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        push(WM_SIZE, SIZE_MAXIMIZED, makeLParam(unsigned(width), unsigned(height)));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        push(WM_SIZE, SIZE_RESTORED, makeLParam(unsigned(width), unsigned(height)));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        push(WM_SIZE, SIZE_RESTORED, makeLParam(unsigned(event.data1), unsigned(event.data2)));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys released while another window has the focus would otherwise stay held.
        // The messages still queued carry the keys from before the loss; after the last of them
        // no key reads as held until it is pressed again.
        liveKeys.held.reset();
        if (queue.empty())
            handledKeys.held.reset();
        else
            queue.back().lastBeforeFocusLoss = true;
        break;
    default:
        break;
    }
}

void translateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        push(WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        translateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        translateKey(event.key, true);
        break;
    case SDL_KEYUP:
        translateKey(event.key, false);
        break;
    case SDL_MOUSEMOTION: {
        std::intptr_t position = pointerParam(event.motion.x, event.motion.y);
        if (backIsPointerMove && !queue.empty() && queue.back().message.message == WM_MOUSEMOVE) {
            queue.back().message.wParam = mouseKeyFlags();
            queue.back().message.lParam = position;
            queue.back().keys = liveKeys;
        } else {
            push(WM_MOUSEMOVE, mouseKeyFlags(), position);
        }
        backIsPointerMove = true;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        std::intptr_t position = pointerParam(event.button.x, event.button.y);
        if (event.button.button == SDL_BUTTON_LEFT) {
            setKey(1, down, false);
            push(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, mouseKeyFlags(), position);
        } else if (event.button.button == SDL_BUTTON_RIGHT) {
            setKey(2, down, false);
            push(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, mouseKeyFlags(), position);
        } else if (event.button.button == SDL_BUTTON_MIDDLE) {
            setKey(4, down, false);
        }
        break;
    }
    case SDL_MOUSEWHEEL: {
        float notches = event.wheel.preciseY;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        long delta = std::lround(notches * 120.0f);
        if (delta > 32767) delta = 32767;
        if (delta < -32768) delta = -32768;
        if (delta == 0)
            break;
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        std::uintptr_t wParam = (std::uintptr_t(std::uint16_t(std::int16_t(delta))) << 16) | mouseKeyFlags();
        push(WM_MOUSEWHEEL, wParam, pointerParam(x, y));
        break;
    }
    default:
        break;
    }
}

void pumpEvents()
{
    if (closeRequested) {
        alarm(0);
        closeSignal = 0;
        closeRequested = 0;
        push(WM_CLOSE, 0, 0);
    }
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        translateEvent(event);
    // A window taken away under the game closes it as a close does.
    if (platformTakeWindowLoss())
        push(WM_CLOSE, 0, 0);
}

} // namespace

bool platformPeekMessage(WindowMessage& message)
{
    pumpEvents();
    if (releaseHandledKeys) {
        handledKeys.held.reset();
        releaseHandledKeys = false;
    }
    if (queue.empty())
        return false;
    message = queue.front().message;
    handledKeys = queue.front().keys;
    releaseHandledKeys = queue.front().lastBeforeFocusLoss;
    queue.pop_front();
    if (queue.empty())
        backIsPointerMove = false;
    return true;
}

void platformPostMessage(const WindowMessage& message)
{
    queue.push_back({message, liveKeys});
    backIsPointerMove = false;
}

void platformPostQuitMessage()
{
    push(WM_QUIT, 0, 0);
}

int platformPendingMessages()
{
    pumpEvents();
    return int(queue.size());
}

void platformClearMessages()
{
    queue.clear();
    handledKeys = liveKeys;
    releaseHandledKeys = false;
    backIsPointerMove = false;
}

short platformGetKeyState(int vk)
{
    if (vk < 0 || vk > 255)
        return 0;
    unsigned short state = 0;
    if (handledKeys.held[std::size_t(vk)])
        state |= 0x8000;
    if (handledKeys.toggled[std::size_t(vk)])
        state |= 1;
    return short(state);
}

int platformVirtualKeyFor(int scancode, int keycode)
{
    // Letters follow the keyboard layout, as virtual keys did; everything else is the key's place.
    if (keycode >= 'a' && keycode <= 'z')
        return keycode - 'a' + 'A';
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0)
        return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK_F1 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + (scancode - SDL_SCANCODE_KP_1);
    switch (scancode) {
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    default: return 0;
    }
}

void platformInstallCloseSignals()
{
    struct sigaction action = {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    struct sigaction watchdog = {};
    watchdog.sa_handler = onCloseUnanswered;
    watchdog.sa_flags = SA_RESTART;
    sigemptyset(&watchdog.sa_mask);
    sigaction(SIGALRM, &watchdog, nullptr);
}
