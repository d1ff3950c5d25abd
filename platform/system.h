// The Linux platform layer: the machine services the game's code asks for.
// Only platform/ includes SDL or Linux headers; everything else calls these.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Clock: a monotonic high-resolution counter and its ticks per second; milliseconds since boot.
std::uint64_t platformCounter();
std::uint64_t platformCounterFrequency();
std::uint32_t platformTickCount();
void platformSleep(unsigned milliseconds);

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

// The per-user application-data folder ($XDG_DATA_HOME or ~/.local/share), no trailing "/".
std::string platformAppDataFolder();
bool platformCreateFolders(const std::string& path);
bool platformOpenUrl(const std::string& url);
bool platformStartProgram(const std::string& path);

// OpenGL entry points by name (valid once a context exists).
void* platformGetProcAddress(const char* name);
