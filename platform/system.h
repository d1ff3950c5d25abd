// The Linux platform layer: the machine services the game's code asks for.
// Only platform/ includes SDL or Linux headers; everything else calls these.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Clock: a monotonic high-resolution counter and its ticks per second; milliseconds since boot.
std::uint64_t platformCounter();
std::uint64_t platformCounterFrequency();
// Milliseconds of the counter since an earlier reading of it.
double platformMsSince(std::uint64_t start);
std::uint32_t platformTickCount();
void platformSleep(unsigned milliseconds);

// True when no person can answer a message box: TS_HEADLESS set (not "0"), or no display.
bool platformHeadless();

// A message box where a person is at the screen; logged to stderr and never blocking
// when TS_HEADLESS is set or there is no display.
void platformMessageBox(const std::string& text, const std::string& caption);

std::string platformClipboardText();

// System report facts; an empty string or 0 when Linux cannot tell.
std::string platformOsName();
std::string platformOsVersion();
std::string platformCpuName();
std::uint64_t platformTotalMemoryBytes();

// Hardware addresses of the network adapters (loopback left out), 6 bytes each, in listing order.
std::vector<std::vector<unsigned char>> platformAdapterAddresses();

// $HOME, or "/tmp" when it is unset.
std::string platformHomeFolder();
// An XDG base folder: the variable's value when it is an absolute path, else $HOME/fallback; no trailing "/".
std::string platformXdgFolder(const char* variable, const char* fallback);

// The per-user application-data folder ($XDG_DATA_HOME or ~/.local/share), no trailing "/".
std::string platformAppDataFolder();
bool platformOpenUrl(const std::string& url);
// Starts a program by its path, without a shell and without waiting for it.
bool platformStartProgram(const std::string& path);

// Processes: ids of this user's other processes that run a copy of the program at exePath: their
// name is its file name and their executable lies in its folder, under whatever name it has now
// (renamed or removed while running); copies in other folders are not listed. An id's executable
// file name ("<unknown>" when it cannot be read), and ending one.
std::vector<int> platformFindProcesses(const std::string& exePath);
std::string platformProcessName(int pid);
bool platformTerminateProcess(int pid);
bool platformProcessAlive(int pid);
// This program's executable: its full path, and that path relative to the working directory.
std::string platformExecutablePath();
std::string platformExecutableRelativePath();

// OpenGL entry points by name (valid once a context exists).
void* platformGetProcAddress(const char* name);
