#include "platform/system.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

extern char** environ;

std::uint64_t platformCounter()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::uint64_t(ts.tv_sec) * 1000000000ull + std::uint64_t(ts.tv_nsec);
}

std::uint64_t platformCounterFrequency()
{
    return 1000000000ull;
}

double platformMsSince(std::uint64_t start)
{
    return static_cast<double>(platformCounter() - start) * 1000.0 / static_cast<double>(platformCounterFrequency());
}

std::uint32_t platformTickCount()
{
    timespec ts;
    clock_gettime(CLOCK_BOOTTIME, &ts);
    // Wraps like the 32-bit millisecond count it stands in for.
    return std::uint32_t(std::uint64_t(ts.tv_sec) * 1000ull + std::uint64_t(ts.tv_nsec) / 1000000ull);
}

void platformSleep(unsigned milliseconds)
{
    timespec ts;
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool platformHeadless()
{
    const char* headless = getenv("TS_HEADLESS");
    if (headless && *headless && strcmp(headless, "0") != 0)
        return true;
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return !(display && *display) && !(wayland && *wayland);
}

void platformMessageBox(const std::string& text, const std::string& caption)
{
    fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    if (platformHeadless())
        return;
    // The box's own failure (no helper program to show it) must not hide why the caller failed.
    const std::string reason = SDL_GetError();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption.c_str(), text.c_str(), nullptr);
    SDL_SetError("%s", reason.c_str());
}

std::string platformClipboardText()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return "";
    char* text = SDL_GetClipboardText();
    if (!text)
        return "";
    std::string result = text;
    SDL_free(text);
    return result;
}

// One "KEY=value" line of /etc/os-release, quotes removed.
static std::string osReleaseField(const std::string& key)
{
    std::ifstream in("/etc/os-release");
    if (!in)
        in.open("/usr/lib/os-release");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size() + 1, key + "=") != 0)
            continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return "";
}

std::string platformOsName()
{
    std::string name = osReleaseField("NAME");
    return name.empty() ? "Linux" : name;
}

std::string platformOsVersion()
{
    return osReleaseField("VERSION");
}

std::string platformCpuName()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 10, "model name") != 0)
            continue;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "";
}

std::uint64_t platformTotalMemoryBytes()
{
    struct sysinfo info;
    if (sysinfo(&info) != 0)
        return 0;
    return std::uint64_t(info.totalram) * info.mem_unit;
}

static bool readSmallFile(const std::string& path, std::string& text)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::getline(in, text);
    return true;
}

std::vector<std::vector<unsigned char>> platformAdapterAddresses()
{
    struct Adapter {
        int index;
        std::vector<unsigned char> address;
    };
    std::vector<Adapter> adapters;
    DIR* dir = opendir("/sys/class/net");
    if (!dir)
        return {};
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "lo")
            continue;
        std::string base = "/sys/class/net/" + name + "/";
        std::string type, address, index;
        // ARPHRD_LOOPBACK is 772.
        if (readSmallFile(base + "type", type) && atoi(type.c_str()) == 772)
            continue;
        if (!readSmallFile(base + "address", address))
            continue;
        unsigned b[6];
        char extra;
        if (sscanf(address.c_str(), "%x:%x:%x:%x:%x:%x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &extra) != 6)
            continue;
        Adapter adapter;
        adapter.index = readSmallFile(base + "ifindex", index) ? atoi(index.c_str()) : 0;
        for (unsigned v : b)
            adapter.address.push_back((unsigned char)v);
        adapters.push_back(adapter);
    }
    closedir(dir);
    // The kernel's interface order, so the text is the same from one run to the next.
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const Adapter& a, const Adapter& b) { return a.index < b.index; });
    std::vector<std::vector<unsigned char>> result;
    for (auto& adapter : adapters)
        result.push_back(adapter.address);
    return result;
}

std::string platformHomeFolder()
{
    const char* home = getenv("HOME");
    if (home && *home)
        return home;
    return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under $HOME.
std::string platformXdgFolder(const char* variable, const char* fallback)
{
    const char* value = getenv(variable);
    std::string folder = (value && value[0] == '/') ? std::string(value) : platformHomeFolder() + "/" + fallback;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string platformAppDataFolder()
{
    return platformXdgFolder("XDG_DATA_HOME", ".local/share");
}

// Children started earlier and not yet reaped.
static std::vector<pid_t> spawnedChildren;

// Starts argv[0] (searched on PATH when searchPath is set) without a shell and without waiting for it.
// Children that have ended since the last call are reaped here, so none lingers as a zombie for long.
static bool spawnDetached(const std::vector<std::string>& args, bool searchPath)
{
    spawnedChildren.erase(std::remove_if(spawnedChildren.begin(), spawnedChildren.end(),
                                         [](pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; }),
                          spawnedChildren.end());
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = searchPath
                 ? posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
                 : posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        return false;
    spawnedChildren.push_back(pid);
    return true;
}

bool platformOpenUrl(const std::string& url)
{
    // Only web addresses: the text goes to xdg-open as one argument, never through a shell.
    if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0)
        return false;
    return spawnDetached({"xdg-open", url}, true);
}

bool platformStartProgram(const std::string& path)
{
    if (path.empty())
        return false;
    // A bare file name means the program in the working directory, never one found on PATH.
    return spawnDetached({path.find('/') == std::string::npos ? "./" + path : path}, false);
}

void* platformGetProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

static std::string readLink(const std::string& path)
{
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0)
        return "";
    std::string target(buf, size_t(n));
    // A replaced or removed executable still names the process.
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
        target.resize(target.size() - deleted.size());
    return target;
}

static std::string fileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string platformProcessName(int pid)
{
    std::string exe = readLink("/proc/" + std::to_string(pid) + "/exe");
    return exe.empty() ? "<unknown>" : fileNameOf(exe);
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::vector<int> platformFindProcesses(const std::string& exePath)
{
    std::vector<int> found;
    // The kernel keeps the name a program was started under (cut to 15 bytes) when its file is
    // renamed, as the old game's is by the updater; the folder keeps copies elsewhere apart.
    const std::string name = fileNameOf(exePath).substr(0, 15);
    const std::string folder = folderOf(exePath);
    DIR* dir = opendir("/proc");
    if (!dir)
        return found;
    uid_t me = getuid();
    int self = int(getpid());
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        long pid = strtol(entry->d_name, &end, 10);
        if (!end || *end != '\0' || pid <= 0 || pid == self)
            continue;
        struct stat st;
        if (stat(("/proc/" + std::string(entry->d_name)).c_str(), &st) != 0 || st.st_uid != me)
            continue;
        std::string base = "/proc/" + std::string(entry->d_name);
        std::string comm;
        if (!readSmallFile(base + "/comm", comm) || comm != name)
            continue;
        std::string exe = readLink(base + "/exe");
        if (!exe.empty() && folderOf(exe) == folder)
            found.push_back(int(pid));
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

bool platformTerminateProcess(int pid)
{
    if (pid <= 0 || pid == int(getpid()))
        return false;
    return kill(pid_t(pid), SIGKILL) == 0;
}

bool platformProcessAlive(int pid)
{
    if (pid <= 0)
        return false;
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

std::string platformExecutablePath()
{
    return readLink("/proc/self/exe");
}

std::string platformExecutableRelativePath()
{
    std::string exe = platformExecutablePath();
    char cwd[4096];
    if (exe.empty() || !getcwd(cwd, sizeof cwd))
        return exe;
    std::string folder = cwd;
    if (folder != "/")
        folder += "/";
    if (exe.compare(0, folder.size(), folder) == 0)
        return exe.substr(folder.size());
    return exe;
}
