#include "engine/config.h"

#include "engine/log.h"
#include "engine/memtrack.h"
#include "crypto/codec.h"
#include "crypto/seal.h"
#include "crypto/service_key.h"
#include "platform/settings_store.h"

#include <climits>
#include <cstdio>
#include <cstring>

int screenWidth = 0, screenHeight = 0;
int AAlevel = 16;
int vSync = 1;
int visualQuality = 3;
int motionBlur = 1;
int mouseFlip = 0;
int fullscreen = 1;
int buffer = 0;
float musicVol = 10.0f;
float soundVol = 10.0f;
int tuteControl = 0, tutePup = 0, tuteCombo = 0, tuteComboNow = 0, tuteColor = 0, tuteCrit = 0,
    tuteRush = 0, tuteSurvival = 0, tuteMeditation = 0;
int colorblind = 0;
std::string password;
std::string username;
std::string playerPassword;

int anisotropicFiltering = 1;
int displayModeIndex = -1;

std::vector<Vector2> displayModes;

namespace {

// Longest text taken from one stored value: numbers need a few digits, the sealed
// password a few hundred characters, and no text is longer than the file keeps.
constexpr std::size_t maxNumberText = 31;
constexpr std::size_t maxStringText = settingsMaxTextBytes;

// Reads a value into a terminated buffer of at most maxLength characters.
// Returns false (and leaves text alone) when the value is missing.
bool readText(const SettingsKey& key, const char* name, std::size_t maxLength, std::string& text)
{
    std::string stored;
    if (!settingsRead(key, name, stored))
        return false;
    std::size_t length = stored.size() < maxLength ? stored.size() : maxLength;
    char* data = TS_ALLOC(char, length + 1);
    if (!data)
        return false;   // read as missing: the setting keeps its value
    std::memcpy(data, stored.data(), length);
    data[length] = '\0';
    text = data;   // stops at an embedded NUL, as the stored text would for a C reader
    TS_FREE(data);
    return true;
}

void readNumberSetting(const SettingsKey& key, const char* name, int& setting)
{
    std::string text;
    if (readText(key, name, maxNumberText, text))
        setting = parseWhole(text);
}

void readVolume(const SettingsKey& key, const char* name, float& setting)
{
    std::string text;
    if (!readText(key, name, maxNumberText, text))
        return;
    int value = parseWhole(text);
    if (value < 0)
        value = 0;
    if (value > 10)
        value = 10;
    setting = static_cast<float>(value);
}

bool sensibleScreenSide(int side)
{
    return side > 0 && side <= maxScreenSide;
}

std::string wholeText(int value)
{
    return std::to_string(value);
}

// Six significant digits, general notation: 1024 as "1024", 10.0 as "10", 7.5 as "7.5".
std::string floatText(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

} // namespace

int parseWhole(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

int findDisplayMode(int width, int height)
{
    for (std::size_t i = 0; i < displayModes.size(); i++)
        if (displayModes[i].x == static_cast<float>(width) && displayModes[i].y == static_cast<float>(height))
            return static_cast<int>(i);
    return -1;
}

void applyVisualQuality()
{
    switch (visualQuality) {
    case 1: anisotropicFiltering = 0; AAlevel = 0; motionBlur = 0; break;
    case 2: anisotropicFiltering = 0; AAlevel = 4; motionBlur = 0; break;
    case 3: anisotropicFiltering = 1; AAlevel = 8; motionBlur = 0; break;
    case 4: anisotropicFiltering = 1; AAlevel = 16; break;
    default: break;
    }
}

bool motionBlurSuspended = false;
std::string settingsUnreadNote;
bool visualQualityUnstored = false;
std::string visualQualityNote;

bool isSoftwareRenderer(const std::string& renderer)
{
    std::string lower;
    for (char c : renderer)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* name : {"llvmpipe", "softpipe", "swrast"})
        if (lower.find(name) != std::string::npos)
            return true;
    return false;
}

bool chooseVisualQualityForRenderer(const std::string& renderer)
{
    if (!visualQualityUnstored || !isSoftwareRenderer(renderer))
        return false;
    visualQualityUnstored = false;
    // Anisotropic filtering and multisampling multiply the cost of every pixel a software
    // rasteriser fills; the Options page can raise the quality again.
    visualQuality = 1;
    applyVisualQuality();
    visualQualityNote = "Software renderer " + renderer + ": starting at VisualQuality 1 (no anisotropic "
                        "filtering, multisampling or motion blur)";
    return true;
}

bool motionBlurEnabled()
{
    return motionBlur != 0 && !motionBlurSuspended;
}

void loadConfig()
{
    motionBlurSuspended = false;
    visualQualityUnstored = true;
    SettingsKey key;
    const bool opened = settingsOpen(key, false);
    settingsUnreadNote.clear();
    if (!key.unreadable.empty()) {
        settingsUnreadNote = printableText("Settings not read (" + key.unreadable +
                                           "): running on the defaults; saving the options replaces the file");
        logMessage(settingsUnreadNote);
    }
    if (opened) {
        // The size is taken only as a pair of sensible values, so a damaged file cannot
        // leave a zero width for the layout to divide by.
        int width = -1, height = -1;
        readNumberSetting(key, "ScreenWidth", width);
        readNumberSetting(key, "ScreenHeight", height);
        if (sensibleScreenSide(width) && sensibleScreenSide(height)) {
            screenWidth = width;
            screenHeight = height;
        }
        readNumberSetting(key, "VSync", vSync);
        std::string quality;
        if (readText(key, "VisualQuality", maxNumberText, quality)) {
            visualQuality = parseWhole(quality);
            visualQualityUnstored = false;
        }
        readNumberSetting(key, "MotionBlur", motionBlur);
        readNumberSetting(key, "TuteControl", tuteControl);
        readNumberSetting(key, "TutePup", tutePup);
        readNumberSetting(key, "TuteCombo", tuteCombo);
        readNumberSetting(key, "TuteComboNow", tuteComboNow);
        readNumberSetting(key, "TuteColor", tuteColor);
        readNumberSetting(key, "TuteCrit", tuteCrit);
        readNumberSetting(key, "TuteRush", tuteRush);
        readNumberSetting(key, "TuteSurvival", tuteSurvival);
        readNumberSetting(key, "TuteMeditation", tuteMeditation);
        readNumberSetting(key, "Colorblind", colorblind);
        readNumberSetting(key, "MouseFlip", mouseFlip);
        readNumberSetting(key, "Fullscreen", fullscreen);
        readNumberSetting(key, "Buffer", buffer);
        readVolume(key, "MusicVol", musicVol);
        readVolume(key, "SoundVol", soundVol);
        readText(key, "Username", maxStringText, username);
        readText(key, "Password", maxStringText, password);

        if (!password.empty())
            playerPassword = rsaUnseal(base64Decode(password), 1, servicePublicKeyPem);
        else
            playerPassword.clear();
        settingsClose(key);
    }

    // Neither the file nor the desktop gave a usable size.
    if (!sensibleScreenSide(screenWidth) || !sensibleScreenSide(screenHeight)) {
        screenWidth = defaultScreenWidth;
        screenHeight = defaultScreenHeight;
    }

    // A one-character name ("0") is the mark of no profile.
    if (username.size() == 1) {
        username.clear();
        playerPassword.clear();
    }

    applyVisualQuality();
    displayModeIndex = findDisplayMode(screenWidth, screenHeight);
    buffer = 0;
}

void resetTutorials()
{
    tuteControl = tutePup = tuteCombo = tuteComboNow = tuteColor = tuteCrit = tuteRush = tuteSurvival =
        tuteMeditation = 0;
    saveConfig();
}

bool saveConfig(SaveBy by)
{
    SettingsKey key;
    if (!settingsOpen(key, true))
        return false;
    // A file the last load could not read may hold every setting the player made: the game's own
    // saves leave it, as what they would write are values the file did not give.
    const bool keepFile = by == SaveBy::game && !settingsUnreadNote.empty();

    // One refused value leaves the whole file as it was: a new name must not end up beside an
    // old password.
    bool kept = true;
    auto write = [&](const char* name, const std::string& value) { kept = settingsWrite(key, name, value) && kept; };
    // A size that is not among the display modes is kept as it is.
    float width = static_cast<float>(screenWidth);
    float height = static_cast<float>(screenHeight);
    if (displayModeIndex >= 0 && static_cast<std::size_t>(displayModeIndex) < displayModes.size()) {
        width = displayModes[displayModeIndex].x;
        height = displayModes[displayModeIndex].y;
    }
    write("ScreenWidth", floatText(width));
    write("ScreenHeight", floatText(height));
    write("AAlevel", wholeText(AAlevel));
    write("VSync", wholeText(vSync));
    write("VisualQuality", wholeText(visualQuality));
    write("MotionBlur", wholeText(motionBlur));
    write("MouseFlip", wholeText(mouseFlip));
    write("Fullscreen", wholeText(fullscreen));
    write("Buffer", wholeText(buffer));
    write("MusicVol", floatText(musicVol));
    write("SoundVol", floatText(soundVol));
    write("TuteControl", wholeText(tuteControl));
    write("TuteCombo", wholeText(tuteCombo));
    write("TuteComboNow", wholeText(tuteComboNow));
    write("TuteColor", wholeText(tuteColor));
    write("TuteCrit", wholeText(tuteCrit));
    write("TutePup", wholeText(tutePup));
    write("TuteRush", wholeText(tuteRush));
    write("TuteSurvival", wholeText(tuteSurvival));
    write("TuteMeditation", wholeText(tuteMeditation));
    write("Colorblind", wholeText(colorblind));
    write("Username", username.empty() ? "0" : username);
    write("Password", password.empty() ? "0" : password);
    if (!kept || keepFile)
        key.dirty = false;
    const bool written = settingsClose(key);
    if (by == SaveBy::player && kept && written)
        settingsUnreadNote.clear();   // the file holds what is in memory now
    return kept && written;
}
