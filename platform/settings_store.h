// The settings file that stands in for the registry key "Software\Quorvane\Tessarine":
// $XDG_CONFIG_HOME (default ~/.config)/Quorvane/Tessarine/settings, text values by name.
// Writes go to memory and reach the disk atomically (temporary file, fsync, rename; mode 0600)
// when the key is closed.
#pragma once
#include <cstddef>
#include <map>
#include <string>

// The longest name or value the file keeps; a load skips longer ones.
inline constexpr std::size_t settingsMaxTextBytes = 4096;

struct SettingsKey {
    bool open = false;
    bool dirty = false;
    std::map<std::string, std::string> values;
    // Why the file could not be read although it exists (its mode, an I/O error); empty otherwise.
    std::string unreadable;
};

// Opens the key; with create, a missing file gives an empty key. A missing file without create
// returns false, and so does a damaged one that is not ours at all (one that is ours is read as far
// as it is sound). A file that exists but cannot be read is taken as missing, with unreadable
// saying why: whether a save may write over it is the caller's choice.
bool settingsOpen(SettingsKey& key, bool create);
// The stored text of one value, or false when the value does not exist.
bool settingsRead(const SettingsKey& key, const std::string& name, std::string& value);
// Stores one value. Refuses (false, nothing changed) what the next load could not give back: an
// empty name, a name or value longer than a load takes, or a file grown past what a load reads.
bool settingsWrite(SettingsKey& key, const std::string& name, const std::string& value);
// Writes the file when anything changed; returns false when the write failed (the old file stays).
bool settingsClose(SettingsKey& key);
// The settings file's full path.
std::string settingsPath();
