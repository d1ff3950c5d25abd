#include "engine/config.h"
#include "engine/console.h"
#include "platform/settings_store.h"
#include "scratch_folder.h"
#include "../wait_for_child.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Each test gets its own settings folder and the built-in values.
struct ConfigTest : ::testing::Test {
    char folder[64] = "/tmp/ts_config_XXXXXX";
    std::string oldConfigHome;
    void SetUp() override
    {
        ASSERT_NE(mkdtemp(folder), nullptr);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfigHome = old ? old : "";
        setenv("XDG_CONFIG_HOME", folder, 1);
        screenWidth = 1920;   // the desktop size start-up puts in first
        screenHeight = 1080;
        AAlevel = 16;
        vSync = 1;
        visualQuality = 3;
        motionBlur = 1;
        mouseFlip = 0;
        fullscreen = 1;
        buffer = 0;
        musicVol = soundVol = 10.0f;
        tuteControl = tutePup = tuteCombo = tuteComboNow = tuteColor = tuteCrit = tuteRush = tuteSurvival =
            tuteMeditation = 0;
        colorblind = 0;
        username.clear();
        password.clear();
        playerPassword.clear();
        anisotropicFiltering = 1;
        displayModeIndex = -1;
        displayModes = {Vector2(800, 600), Vector2(1024, 768), Vector2(1920, 1080)};
    }
    void TearDown() override
    {
        if (oldConfigHome.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", oldConfigHome.c_str(), 1);
        displayModes.clear();
        std::string command = std::string("rm -rf ") + folder;
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    // Writes a settings file as the store lays it out.
    void writeStored(const std::map<std::string, std::string>& values)
    {
        std::string path = settingsPath();
        std::string dir = path.substr(0, path.rfind('/'));
        ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
        std::ofstream out(path, std::ios::binary);
        out << "# Tessarine settings 1\n";
        for (const auto& [name, value] : values)
            out << name << "=" << value << "\n";
    }

    std::map<std::string, std::string> readStored()
    {
        SettingsKey key;
        EXPECT_TRUE(settingsOpen(key, false));
        std::map<std::string, std::string> values = key.values;
        settingsClose(key);
        return values;
    }
};

} // namespace

TEST_F(ConfigTest, FirstRunKeepsBuiltInsAndTheSaveCreatesEveryValue)
{
    buffer = 5;
    loadConfig();
    EXPECT_EQ(screenWidth, 1920);
    EXPECT_EQ(screenHeight, 1080);
    EXPECT_EQ(displayModeIndex, 2);
    EXPECT_EQ(buffer, 0);
    EXPECT_EQ(AAlevel, 8);          // preset 3
    EXPECT_EQ(motionBlur, 0);
    EXPECT_EQ(anisotropicFiltering, 1);

    saveConfig();
    std::map<std::string, std::string> stored = readStored();
    EXPECT_EQ(stored.size(), 23u);
    EXPECT_EQ(stored["ScreenWidth"], "1920");
    EXPECT_EQ(stored["ScreenHeight"], "1080");
    EXPECT_EQ(stored["AAlevel"], "8");
    EXPECT_EQ(stored["MusicVol"], "10");
    EXPECT_EQ(stored["Username"], "0");
    EXPECT_EQ(stored["Password"], "0");
    EXPECT_EQ(stored["TuteMeditation"], "0");

    struct stat info;
    ASSERT_EQ(stat(settingsPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ConfigTest, SavedValuesLoadBack)
{
    screenWidth = 800;
    screenHeight = 600;
    displayModeIndex = 0;
    vSync = 0;
    visualQuality = 4;
    motionBlur = 1;
    mouseFlip = 2;
    fullscreen = 0;
    musicVol = 3.0f;
    soundVol = 0.0f;
    tutePup = 1;
    tuteMeditation = 1;
    colorblind = 1;
    username = "quill";
    saveConfig();

    screenWidth = 1920;
    screenHeight = 1080;
    vSync = 1;
    visualQuality = 3;
    motionBlur = 0;
    mouseFlip = 0;
    fullscreen = 1;
    musicVol = soundVol = 10.0f;
    tutePup = tuteMeditation = colorblind = 0;
    username.clear();
    loadConfig();

    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 600);
    EXPECT_EQ(displayModeIndex, 0);
    EXPECT_EQ(vSync, 0);
    EXPECT_EQ(visualQuality, 4);
    EXPECT_EQ(motionBlur, 1);       // preset 4 keeps the loaded value
    EXPECT_EQ(AAlevel, 16);
    EXPECT_EQ(mouseFlip, 2);
    EXPECT_EQ(fullscreen, 0);
    EXPECT_EQ(musicVol, 3.0f);
    EXPECT_EQ(soundVol, 0.0f);
    EXPECT_EQ(tutePup, 1);
    EXPECT_EQ(tuteMeditation, 1);
    EXPECT_EQ(tuteControl, 0);
    EXPECT_EQ(colorblind, 1);
    EXPECT_EQ(username, "quill");
}

TEST_F(ConfigTest, VisualQualityPresets)
{
    const struct { int quality, aniso, aa, blur; } presets[] = {
        {1, 0, 0, 0}, {2, 0, 4, 0}, {3, 1, 8, 0}, {4, 1, 16, 1}, {5, 7, 7, 1},
    };
    for (const auto& p : presets) {
        writeStored({{"VisualQuality", std::to_string(p.quality)}, {"MotionBlur", "1"}});
        anisotropicFiltering = 7;
        AAlevel = 7;
        loadConfig();
        EXPECT_EQ(anisotropicFiltering, p.aniso) << p.quality;
        EXPECT_EQ(AAlevel, p.aa) << p.quality;
        EXPECT_EQ(motionBlur, p.blur) << p.quality;
    }
}

// A software rasteriser on a first run starts at VisualQuality 1 and the save keeps it; a stored
// VisualQuality is never overridden, and another renderer changes nothing.
TEST_F(ConfigTest, FirstRunOnASoftwareRendererChoosesQualityOne)
{
    const struct {
        const char* stored;   // VisualQuality in the file; null: no file; "": a file without it
        const char* renderer;
        int quality;
    } cases[] = {
        {nullptr, "llvmpipe (LLVM 15.0.6, 256 bits)", 1},
        {nullptr, "softpipe", 1},
        {"", "Mesa X11 SWRAST", 1},
        {nullptr, "Mesa Intel(R) UHD Graphics 620", 3},
        {"3", "llvmpipe (LLVM 15.0.6, 256 bits)", 3},
        {"4", "softpipe", 4},
        {"2", "swrast", 2},
    };
    for (const auto& c : cases) {
        std::system((std::string("rm -rf ") + folder + "/*").c_str());
        if (c.stored)
            writeStored(*c.stored ? std::map<std::string, std::string>{{"VisualQuality", c.stored}}
                                  : std::map<std::string, std::string>{{"MusicVol", "5"}});
        visualQuality = 3;
        visualQualityNote.clear();
        loadConfig();
        const bool chose = chooseVisualQualityForRenderer(c.renderer);
        EXPECT_EQ(chose, c.quality == 1) << c.renderer;
        EXPECT_EQ(visualQuality, c.quality) << c.renderer;
        EXPECT_EQ(visualQualityNote.empty(), !chose);
        if (chose) {
            EXPECT_EQ(AAlevel, 0);
            EXPECT_EQ(anisotropicFiltering, 0);
            EXPECT_EQ(motionBlur, 0);
            EXPECT_FALSE(chooseVisualQualityForRenderer(c.renderer)) << "chosen once";
        }
        saveConfig();
        EXPECT_EQ(readStored()["VisualQuality"], std::to_string(c.quality));
        // The next start finds it stored.
        loadConfig();
        EXPECT_FALSE(chooseVisualQualityForRenderer("llvmpipe"));
    }
}

TEST_F(ConfigTest, NumbersReadAsWholeNumbers)
{
    writeStored({{"MusicVol", "7.5"}, {"SoundVol", "  4xyz"}, {"VSync", "-0"}, {"MouseFlip", "+2"},
                 {"Colorblind", "nope"}, {"Fullscreen", "99999999999999999999"}});
    loadConfig();
    EXPECT_EQ(musicVol, 7.0f);
    EXPECT_EQ(soundVol, 4.0f);
    EXPECT_EQ(vSync, 0);
    EXPECT_EQ(mouseFlip, 2);
    EXPECT_EQ(colorblind, 0);
    EXPECT_EQ(fullscreen, 2147483647);   // saturates instead of overflowing

    writeStored({{"MusicVol", "250"}, {"SoundVol", "-3"}});
    loadConfig();
    EXPECT_EQ(musicVol, 10.0f);
    EXPECT_EQ(soundVol, 0.0f);
}

TEST_F(ConfigTest, DamagedScreenSizesFallBack)
{
    // Each pair leaves the size start-up put in.
    const std::pair<const char*, const char*> damaged[] = {
        {"0", "0"}, {"1024", "0"}, {"0", "768"}, {"-800", "600"}, {"abc", ""},
        {"99999999", "600"}, {"800", "99999999999999999999999"},
    };
    for (const auto& [w, h] : damaged) {
        writeStored({{"ScreenWidth", w}, {"ScreenHeight", h}});
        screenWidth = 1920;
        screenHeight = 1080;
        loadConfig();
        EXPECT_EQ(screenWidth, 1920) << w << "x" << h;
        EXPECT_EQ(screenHeight, 1080) << w << "x" << h;
    }

    // With no usable desktop size either, the built-in size.
    writeStored({{"ScreenWidth", "0"}, {"ScreenHeight", "0"}});
    screenWidth = 0;
    screenHeight = 0;
    loadConfig();
    EXPECT_EQ(screenWidth, defaultScreenWidth);
    EXPECT_EQ(screenHeight, defaultScreenHeight);

    // A width that is only digits far past any buffer is read bounded.
    writeStored({{"ScreenWidth", std::string(3000, '9')}, {"ScreenHeight", "600"}});
    screenWidth = 1920;
    loadConfig();
    EXPECT_EQ(screenWidth, 1920);

    // A stored fraction loses its fractional part.
    writeStored({{"ScreenWidth", "1024.9"}, {"ScreenHeight", "768"}});
    loadConfig();
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(displayModeIndex, 1);
}

TEST_F(ConfigTest, DamagedFilesKeepTheSettings)
{
    std::string path = settingsPath();
    writeStored({});
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "garbage\0\x01\x02 not a settings file";
    }
    vSync = 0;
    loadConfig();
    EXPECT_EQ(vSync, 0);
    EXPECT_EQ(screenWidth, 1920);

    // A file cut short keeps what it holds; the missing values keep their built-ins.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "# Tessarine settings 1\nVSync=1\nMouseFlip=2\nFullscr";
    }
    vSync = 0;
    fullscreen = 1;
    loadConfig();
    EXPECT_EQ(vSync, 1);
    EXPECT_EQ(mouseFlip, 2);
    EXPECT_EQ(fullscreen, 1);

    // The next save replaces the damaged file with a whole one.
    saveConfig();
    EXPECT_EQ(readStored().size(), 23u);
}

// Runs part of a run in a child process as the player who owns the settings: root reads files of
// any mode, so under root the child is "nobody", and the folders (quoted, for the shell) its own.
// The part says whether it went as it should; a child that still runs after a minute is killed.
void asThePlayer(const std::string& folders, const std::function<bool()>& part)
{
    if (geteuid() == 0) {
        ASSERT_EQ(std::system(("chown -R 65534:65534 " + folders).c_str()), 0);
    }
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(part() ? 0 : 1);
    }
    ASSERT_GT(pid, 0) << "no child: fork failed";
    const ChildEnd end = waitForChild(pid, std::chrono::minutes(1));
    ASSERT_EQ(end.exitCode(), 0) << (end.killed ? "killed: it still ran after a minute" : "");
}

// A settings file the game cannot read is not a damaged one: its mode 000 keeps it from the game,
// or it is no regular file (a FIFO would hold the start for good, /dev/zero never ends), or it is
// too large to be this game's. The start-up's save and the game's own saves leave it as it is, the
// game runs on the defaults, the log says why, and only the player's Save (here the console's)
// replaces it; the game's saves after that write the file again.
TEST_F(ConfigTest, ASettingsFileThatCannotBeReadStaysUntilThePlayerSaves)
{
    ScratchFolder scratch;   // console.log
    const std::string folders = "'" + std::string(folder) + "' '" + scratch.path() + "'";
    const std::string path = settingsPath(), fifo = std::string(folder) + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char *what, *why;
    } kinds[] = {{"mode 000", "Permission denied"},
                 {"a link to a FIFO", "not a regular file"},
                 {"a link to /dev/zero", "not a regular file"},
                 {"a file over 1 MiB", "File too large"}};
    for (const auto& kind : kinds) {
        const std::string what = kind.what;
        unlink(path.c_str());   // never written through a link the last kind left
        std::remove((scratch.path() + "/console.log").c_str());
        writeStored({{"MusicVol", "3"}});
        if (what == "mode 000") {
            ASSERT_EQ(chmod(path.c_str(), 0), 0);
        } else if (what == "a file over 1 MiB") {
            std::ofstream(path, std::ios::app) << "#" << std::string(1 << 20, '#') << "\n";
        } else {
            ASSERT_EQ(unlink(path.c_str()), 0);
            ASSERT_EQ(symlink(what == "a link to a FIFO" ? fifo.c_str() : "/dev/zero", path.c_str()), 0);
        }
        struct stat before {};
        ASSERT_EQ(lstat(path.c_str(), &before), 0);
        const std::string stored = S_ISREG(before.st_mode) ? readFile(path) : "";
        asThePlayer(folders, [] {
            loadConfig();
            const bool defaults = musicVol == 10.0f;
            saveConfig();   // the start-up's
            tuteControl = 1;
            saveConfig();   // a tutorial page seen
            return defaults;
        });
        struct stat after {};
        ASSERT_EQ(lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << what;
        EXPECT_EQ(after.st_mode, before.st_mode) << what;
        if (S_ISREG(after.st_mode)) {
            ASSERT_EQ(chmod(path.c_str(), 0400), 0);
            EXPECT_EQ(readFile(path), stored) << what;
            ASSERT_EQ(chmod(path.c_str(), after.st_mode & 0777), 0);
        }
        EXPECT_NE(readFile(scratch.path() + "/console.log")
                      .find("Settings not read (" + path + ": " + kind.why +
                            "): running on the defaults; saving the options replaces the file\r\n"),
                  std::string::npos)
            << what << ": " << readFile(scratch.path() + "/console.log");

        asThePlayer(folders, [] {
            loadConfig();
            musicVol = 4;
            runConsoleCommand("config save");
            tuteControl = 1;
            saveConfig();   // a tutorial page seen after the player's save
            return true;
        });
        ASSERT_EQ(lstat(path.c_str(), &after), 0);
        ASSERT_TRUE(S_ISREG(after.st_mode)) << what << ": not replaced";   // never opened here if not
        EXPECT_EQ(readStored()["MusicVol"], "4") << what;
        EXPECT_EQ(readStored()["TuteControl"], "1") << what;
    }
}

TEST_F(ConfigTest, ResolutionOutsideTheModeListIsSavedAsItIs)
{
    writeStored({{"ScreenWidth", "1234"}, {"ScreenHeight", "567"}});
    loadConfig();
    EXPECT_EQ(screenWidth, 1234);
    EXPECT_EQ(displayModeIndex, -1);
    saveConfig();
    std::map<std::string, std::string> stored = readStored();
    EXPECT_EQ(stored["ScreenWidth"], "1234");
    EXPECT_EQ(stored["ScreenHeight"], "567");

    // An index past the list (the list changed) is not followed either.
    displayModeIndex = 17;
    saveConfig();
    EXPECT_EQ(readStored()["ScreenWidth"], "1234");

    // A valid index wins over the current size: the Options page picks a mode for the next start.
    displayModeIndex = 0;
    saveConfig();
    EXPECT_EQ(readStored()["ScreenWidth"], "800");
    EXPECT_EQ(readStored()["ScreenHeight"], "600");
}

TEST_F(ConfigTest, OneCharacterUserNameMeansNoProfile)
{
    writeStored({{"Username", "0"}, {"Password", "0"}});
    username = "someone";
    playerPassword = "secret";
    loadConfig();
    EXPECT_EQ(username, "");
    EXPECT_EQ(playerPassword, "");

    writeStored({{"Username", "quill"}, {"Password", ""}});
    playerPassword = "stale";
    loadConfig();
    EXPECT_EQ(username, "quill");
    EXPECT_EQ(playerPassword, "");   // an empty stored password gives none
}

// Slow frames switch motion blur off for the run only; loading the settings again or the console's
// "set motionblur" brings the setting back into force.
TEST_F(ConfigTest, SuspendedMotionBlurReturnsOnReloadOrConsole)
{
    motionBlur = 1;
    motionBlurSuspended = true;
    EXPECT_FALSE(motionBlurEnabled());
    loadConfig();
    EXPECT_FALSE(motionBlurSuspended);
    EXPECT_EQ(motionBlurEnabled(), motionBlur != 0);

    motionBlurSuspended = true;
    runConsoleCommand("set motionblur 1");
    EXPECT_FALSE(motionBlurSuspended);
    EXPECT_TRUE(motionBlurEnabled());
    runConsoleCommand("set motionblur 0");
    EXPECT_FALSE(motionBlurEnabled());
}

TEST_F(ConfigTest, ResetTutorialsClearsAndSaves)
{
    tuteControl = tutePup = tuteCombo = tuteComboNow = tuteColor = tuteCrit = tuteRush = tuteSurvival =
        tuteMeditation = 1;
    resetTutorials();
    EXPECT_EQ(tuteControl + tutePup + tuteCombo + tuteComboNow + tuteColor + tuteCrit + tuteRush + tuteSurvival +
                  tuteMeditation,
              0);
    SettingsKey key;
    ASSERT_TRUE(settingsOpen(key, false));
    std::string value;
    ASSERT_TRUE(settingsRead(key, "TuteCrit", value));
    EXPECT_EQ(value, "0");
    settingsClose(key);
}

// The settings file and the console read their numbers alike: atoi's reading, saturated.
TEST(ParseWhole, ReadsLikeAtoiButSaturates)
{
    const std::pair<const char*, int> cases[] = {
        {"", 0},          {"abc", 0},     {"  42", 42},          {"\t\n+7", 7},
        {"-13x", -13},    {"4 5", 4},     {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseWhole(text), value) << '"' << text << '"';
}
