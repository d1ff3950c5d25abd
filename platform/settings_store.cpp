#include "platform/settings_store.h"
#include "platform/handover.h"
#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The file is text: a header line, then one "name=value" line per value. Bytes that would break
// the line structure (control bytes, "\", "=", a name's leading "#") are written as "\xHH".
static const char* const settingsHeader = "# Tessarine settings 1";
// Anything larger is not a file this game wrote.
static const size_t settingsMaxFileBytes = 1 << 20;

static std::string settingsFolder()
{
    return platformXdgFolder("XDG_CONFIG_HOME", ".config") + "/Quorvane/Tessarine";
}

std::string settingsPath()
{
    return settingsFolder() + "/settings";
}

static bool needsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7f || c == '\\' || c == '=';
}

static std::string escapeText(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (needsEscape(c)) {
            char buf[5];
            snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

// A name is escaped like any text, and a leading "#" too, or its line would read as a comment.
static std::string escapeName(const std::string& name)
{
    std::string out = escapeText(name);
    if (!out.empty() && out[0] == '#')
        out.replace(0, 1, "\\x23");
    return out;
}

static std::string settingsLine(const std::string& name, const std::string& value)
{
    return escapeName(name) + "=" + escapeText(value) + "\n";
}

// The length of settingsLine(name, value), without building it.
static size_t settingsLineBytes(const std::string& name, const std::string& value)
{
    size_t bytes = 2 + (!name.empty() && name[0] == '#' ? 3 : 0);
    for (const std::string* text : {&name, &value})
        for (unsigned char c : *text)
            bytes += needsEscape(c) ? 4 : 1;
    return bytes;
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

static bool unescapeText(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if ((unsigned char)c < 0x20 || c == 0x7f || c == '=')
            return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x')
            return false;
        int hi = hexDigit(text[i + 2]), lo = hexDigit(text[i + 3]);
        if (hi < 0 || lo < 0)
            return false;
        out += char(hi * 16 + lo);
        i += 3;
    }
    return out.size() <= settingsMaxTextBytes;
}

bool settingsOpen(SettingsKey& key, bool create)
{
    key.values.clear();
    key.dirty = false;
    key.open = false;
    key.unreadable.clear();

    const std::string path = settingsPath();
    std::string content;
    int error = 0;
    // It holds the player's sealed password: one an older build or a copy left readable by others
    // is made the owner's only.
    if (!platformReadFile(path, content, settingsMaxFileBytes, error, true)) {
        // Missing is a first run; anything else (a FIFO, a device, a file too large to be ours)
        // leaves a file that may hold every setting.
        if (error != ENOENT)
            key.unreadable = path + ": " + platformErrorText(error);
        key.open = create;
        return create;
    }
    bool readable = content.compare(0, strlen(settingsHeader), settingsHeader) == 0 &&
                    content.find('\0') == std::string::npos;
    if (!readable) {
        // Not ours or damaged beyond use: the caller keeps its defaults; a save replaces the file.
        key.open = create;
        return create;
    }

    std::istringstream lines(content);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos || eq == 0)
            continue;
        std::string name, value;
        if (!unescapeText(line.substr(0, eq), name) || !unescapeText(line.substr(eq + 1), value))
            continue;
        key.values[name] = value;
    }
    key.open = true;
    return true;
}

bool settingsRead(const SettingsKey& key, const std::string& name, std::string& value)
{
    auto it = key.values.find(name);
    if (!key.open || it == key.values.end())
        return false;
    value = it->second;
    return true;
}

bool settingsWrite(SettingsKey& key, const std::string& name, const std::string& value)
{
    if (name.empty() || name.size() > settingsMaxTextBytes || value.size() > settingsMaxTextBytes)
        return false;
    auto it = key.values.find(name);
    if (it != key.values.end() && it->second == value)
        return true;
    // The file as it would be written, so a load never meets one too large to read.
    size_t fileBytes = strlen(settingsHeader) + 1 + settingsLineBytes(name, value);
    for (const auto& stored : key.values)
        if (stored.first != name)
            fileBytes += settingsLineBytes(stored.first, stored.second);
    if (fileBytes > settingsMaxFileBytes)
        return false;
    key.values[name] = value;
    key.dirty = true;
    return true;
}

// Writes the whole file beside the old one, flushes it to the disk, then renames it over the old
// one, so a crash at any moment leaves either the old file or the new one, never a part.
static bool writeSettingsFile(const SettingsKey& key)
{
    std::string folder = settingsFolder();
    if (!platformCreateFolders(folder))
        return false;

    std::string text = std::string(settingsHeader) + "\n";
    for (const auto& value : key.values)
        text += settingsLine(value.first, value.second);

    std::string path = settingsPath();
    std::string temp = path + ".tmp" + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, 0600) == 0 && platformWriteAll(fd, text.data(), text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    platformSyncFolder(folder);
    return true;
}

bool settingsClose(SettingsKey& key)
{
    bool ok = true;
    if (key.open && key.dirty)
        ok = writeSettingsFile(key);
    key.open = false;
    key.dirty = false;
    return ok;
}
