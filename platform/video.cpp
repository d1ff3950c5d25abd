#include "platform/video.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

// Mesa's software rasteriser asks for the window's size through this before it draws, and uses
// the answer without looking whether the call failed: for a window destroyed under the game it
// took whatever lay on the stack (clears of many seconds, a broken heap). This program's copy,
// which the driver's call reaches first, clears every answer first, so a failed one reads 0 x 0.
extern "C" Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y,
                               unsigned* width, unsigned* height, unsigned* border, unsigned* depth)
{
    using Query = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*);
    static const Query query = reinterpret_cast<Query>(dlsym(RTLD_NEXT, "XGetGeometry"));
    *root = 0;
    *x = *y = 0;
    *width = *height = *border = *depth = 0;
    return query ? query(display, drawable, root, x, y, width, height, border, depth) : 0;
}

namespace {

SDL_DisplayMode chosenMode;
bool modeChosen = false;

// The game windows by X id. A closed one stays listed: destroying a window that another client
// destroyed first answers with an error on its id after the close.
struct WatchedWindow {
    unsigned long id = 0;
    bool open = false;
};
std::vector<WatchedWindow> watchedWindows;
XErrorHandler previousErrorHandler = nullptr;
// Noted inside Xlib by the handlers below, answered by the message pump.
XErrorEvent windowError;
bool windowErrorSeen = false;
bool windowDestroyed = false;
bool windowLossTaken = false;
void (*windowSystemReport)(std::string) = nullptr;

void report(const std::string& line)
{
    if (windowSystemReport)
        windowSystemReport(line);
    else
        fprintf(stderr, "%s\n", line.c_str());
}

unsigned long windowId(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

WatchedWindow* watchedWindow(unsigned long id)
{
    for (WatchedWindow& window : watchedWindows)
        if (window.id == id)
            return &window;
    return nullptr;
}

// Runs inside Xlib, often in the middle of a swap: calling Xlib again from here or ending the
// program hung the game. An error on a game window is only noted, for the message pump; any other
// goes on to the handler before this one, as it did.
int onXError(Display* display, XErrorEvent* error)
{
    WatchedWindow* window = watchedWindow(error->resourceid);
    if (!window)
        return previousErrorHandler ? previousErrorHandler(display, error) : 0;
    if (window->open && !windowErrorSeen) {
        windowError = *error;
        windowErrorSeen = true;
    }
    return 0;
}

// Xlib would end the program once this returns, through exit handlers that talk to the dead
// connection again; the report is flushed line by line, so ending here loses nothing.
int onConnectionLost(Display* display)
{
    report(std::string("Lost the connection to the display ") + DisplayString(display) + ": ending");
    _exit(1);
}

int onWindowSystemEvent(void*, SDL_Event* event)
{
    if (event->type != SDL_SYSWMEVENT || event->syswm.msg->subsystem != SDL_SYSWM_X11)
        return 1;
    const XEvent& x = event->syswm.msg->msg.x11.event;
    if (x.type == DestroyNotify) {
        const WatchedWindow* window = watchedWindow(x.xdestroywindow.window);
        if (window && window->open)
            windowDestroyed = true;
    }
    return 1;
}

void watchWindowSystem()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0)
        return;
    XErrorHandler previous = XSetErrorHandler(onXError);
    if (previous != onXError)
        previousErrorHandler = previous;
    XSetIOErrorHandler(onConnectionLost);
    // Once only, however often this runs; the event loop's end forgets it.
    SDL_DelEventWatch(onWindowSystemEvent, nullptr);
    SDL_AddEventWatch(onWindowSystemEvent, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void setPixelFormatAttributes(const PlatformPixelFormat& format)
{
    SDL_GL_ResetAttributes();   // no version or profile: a compatibility context
    int channel = format.colorBits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples > 0 ? format.samples : 0);
}

// The game's icon: a 2x2 stack of bevelled blocks in four of the game's colours.
void drawIcon(std::uint32_t* pixels)
{
    static const std::uint8_t colours[4][3] = {{224, 64, 64}, {64, 160, 232}, {248, 200, 48}, {72, 200, 96}};
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            int cellX = x / 32, cellY = y / 32;
            int u = x % 32, v = y % 32;
            std::uint32_t a = 0, r = 0, g = 0, b = 0;
            if (u >= 2 && u < 30 && v >= 2 && v < 30) {
                const std::uint8_t* c = colours[cellY * 2 + cellX];
                // Light from the top left: lit rim, shaded rim, flat face.
                int shade = 100;
                if (u < 6 || v < 6)
                    shade = 135;
                else if (u >= 26 || v >= 26)
                    shade = 65;
                r = std::uint32_t(c[0] * shade / 100 > 255 ? 255 : c[0] * shade / 100);
                g = std::uint32_t(c[1] * shade / 100 > 255 ? 255 : c[1] * shade / 100);
                b = std::uint32_t(c[2] * shade / 100 > 255 ? 255 : c[2] * shade / 100);
                a = 255;
            }
            pixels[y * 64 + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

} // namespace

bool platformVideoStart()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        // Whoever started it, and whatever started or stopped since, the game's windows are watched.
        watchWindowSystem();
        return true;
    }
    // The game handles termination signals itself and decides itself when to minimise.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "Video start failed: %s\n", SDL_GetError());
        return false;
    }
    // The library falls back to drawing nowhere when no display answers; a game nobody can see
    // must not run (unless that driver was asked for by name).
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = getenv("SDL_VIDEODRIVER");
    if (driver && (!requested || !*requested) && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        const char* display = getenv("DISPLAY");
        SDL_SetError("no display answers at DISPLAY=%s", display && *display ? display : "(unset)");
        fprintf(stderr, "Video start failed: %s\n", SDL_GetError());
        return false;
    }
    // Text entry is read from key messages; no input-method window is wanted.
    SDL_StopTextInput();
    watchWindowSystem();
    return true;
}

void platformVideoStop()
{
    // Leaves the video side up: the window is gone already, and unloading the GL driver before the
    // process ends gains nothing but turns the driver's own allocations into reported leaks.
}

std::vector<PlatformDisplayMode> platformDisplayModes()
{
    std::vector<PlatformDisplayMode> modes;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        PlatformDisplayMode entry;
        entry.width = mode.w;
        entry.height = mode.h;
        entry.bitsPerPixel = int(SDL_BITSPERPIXEL(mode.format));
        entry.refreshRate = mode.refresh_rate;
        modes.push_back(entry);
    }
    return modes;
}

bool platformDesktopSize(int& width, int& height)
{
    SDL_DisplayMode mode;
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    width = mode.w;
    height = mode.h;
    return true;
}

bool platformSetFullscreenMode(int width, int height, int)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    // Only an exact size: the game lays itself out for the size it asked for.
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == width && mode.h == height) {
            chosenMode = mode;
            modeChosen = true;
            return true;
        }
    }
    return false;
}

void platformRestoreDesktopMode()
{
    modeChosen = false;
}

void* platformOpenWindow(const std::string& title, int x, int y, int width, int height, bool fullscreen,
                         const PlatformPixelFormat& format)
{
    if (!platformVideoStart())
        return nullptr;
    setPixelFormatAttributes(format);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (fullscreen && modeChosen)
        flags |= SDL_WINDOW_FULLSCREEN;
    SDL_Window* window = SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
    if (!window) {
        fprintf(stderr, "Window creation failed: %s\n", SDL_GetError());
        return nullptr;
    }
    if (fullscreen && modeChosen)
        SDL_SetWindowDisplayMode(window, &chosenMode);
    if (unsigned long id = windowId(window)) {
        if (WatchedWindow* known = watchedWindow(id))
            known->open = true;
        else
            watchedWindows.push_back({id, true});
        // A new window can be lost in its turn.
        windowErrorSeen = windowDestroyed = windowLossTaken = false;
    }
    return window;
}

void platformCloseWindow(void* window)
{
    if (!window)
        return;
    if (WatchedWindow* watched = watchedWindow(windowId(static_cast<SDL_Window*>(window))))
        watched->open = false;
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
}

void* platformCreateContext(void* window)
{
    if (!window)
        return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(static_cast<SDL_Window*>(window));
    if (!context)
        fprintf(stderr, "GL context creation failed: %s\n", SDL_GetError());
    return context;
}

bool platformMakeCurrent(void* window, void* context)
{
    return SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), static_cast<SDL_GLContext>(context)) == 0;
}

void platformDeleteContext(void* context)
{
    if (context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
}

bool platformFormatAvailable(const PlatformPixelFormat& format)
{
    if (!platformVideoStart())
        return false;
    // The window system refuses a window whose surface format it cannot give.
    SDL_Window* current = SDL_GL_GetCurrentWindow();
    SDL_GLContext currentContext = SDL_GL_GetCurrentContext();
    setPixelFormatAttributes(format);
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    bool available = false;
    if (probe) {
        SDL_GLContext context = SDL_GL_CreateContext(probe);
        if (context) {
            int buffers = 0, samples = 0;
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
            available = format.samples == 0 || (buffers >= 1 && samples >= format.samples);
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(probe);
    }
    if (current && currentContext)
        SDL_GL_MakeCurrent(current, currentContext);
    return available;
}

int platformContextSamples()
{
    int buffers = 0, samples = 0;
    if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers) != 0 || buffers == 0)
        return 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
    return samples;
}

std::string platformWindowSystemExtensions()
{
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window)
        return "";
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return "";
    // Looked up at run time so the program does not depend on the GLX entry point at link time.
    typedef const char* (*QueryExtensions)(void* display, int screen);
    auto query = reinterpret_cast<QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    if (!query)
        return "";
    Display* display = info.info.x11.display;
    const char* text = query(display, DefaultScreen(display));
    return text ? text : "";
}

bool platformSetSwapInterval(int interval)
{
    return SDL_GL_SetSwapInterval(interval) == 0;
}

bool platformSwapIntervalAvailable()
{
    if (!SDL_GL_GetCurrentContext())
        return false;
    return SDL_GL_SetSwapInterval(SDL_GL_GetSwapInterval()) == 0;
}

void platformShowWindow(void* window)
{
    if (!window)
        return;
    SDL_Window* w = static_cast<SDL_Window*>(window);
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
    // Without a window manager nobody else hands out the keyboard focus.
    SDL_SetWindowInputFocus(w);
}

void platformMinimizeWindow(void* window)
{
    if (window)
        SDL_MinimizeWindow(static_cast<SDL_Window*>(window));
}

void* platformActiveWindow()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    return SDL_GetKeyboardFocus();
}

void platformShowCursor(bool visible)
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void platformSetWindowIcon(void* window)
{
    if (!window)
        return;
    static std::uint32_t pixels[64 * 64];
    drawIcon(pixels);
    SDL_Surface* icon = SDL_CreateRGBSurfaceFrom(pixels, 64, 64, 32, 64 * 4, 0x00FF0000, 0x0000FF00, 0x000000FF,
                                                 0xFF000000);
    if (!icon)
        return;
    SDL_SetWindowIcon(static_cast<SDL_Window*>(window), icon);
    SDL_FreeSurface(icon);
}

void platformSwapBuffers(void* window)
{
    if (window)
        SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
}

void platformSetWindowSystemReport(void (*report)(std::string line))
{
    windowSystemReport = report;
}

bool platformTakeWindowLoss()
{
    if (windowLossTaken || (!windowDestroyed && !windowErrorSeen))
        return false;
    windowLossTaken = true;
    if (windowDestroyed) {
        report("The game window was destroyed by another program: closing");
    } else {
        char text[160] = "";
        XGetErrorText(windowError.display, windowError.error_code, text, sizeof text);
        report(std::string("X error on the game window (") + text + ", request " +
               std::to_string(windowError.request_code) + "." + std::to_string(windowError.minor_code) + "): closing");
    }
    return true;
}
