#include "platform/settings_store.h"
#include "../read_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Armed with a file, the next read of it first gives its name to another file of mode 0644, as
// another program could at any moment, and the file read goes on as name + ".read".
std::atomic<ino_t> renameWhenRead{0};
std::string renamedName;

} // namespace

// This test program's read: the C library's, but for the file renameWhenRead is armed with.
extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    struct stat st;
    const ino_t armed = renameWhenRead.load();
    if (armed != 0 && fstat(fd, &st) == 0 && st.st_ino == armed && renameWhenRead.exchange(0) == armed &&
        rename(renamedName.c_str(), (renamedName + ".read").c_str()) == 0) {
        const int other = open(renamedName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (other >= 0) {
            fchmod(other, 0644);
            close(other);
        }
    }
    return syscall(SYS_read, fd, buffer, size);
}

namespace {

// Points XDG_CONFIG_HOME at a fresh temporary folder for one test.
class SettingsStoreTest : public ::testing::Test {
protected:
    std::string folder;
    std::string oldValue;
    bool hadOld = false;

    void SetUp() override
    {
        char pattern[] = "/tmp/ts_settings_XXXXXX";
        folder = mkdtemp(pattern);
        if (const char* old = getenv("XDG_CONFIG_HOME")) {
            hadOld = true;
            oldValue = old;
        }
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadOld)
            setenv("XDG_CONFIG_HOME", oldValue.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::string cmd = "rm -rf '" + folder + "'";
        (void)system(cmd.c_str());
    }
    void writeRaw(const std::string& text)
    {
        std::string dir = folder + "/Quorvane";
        mkdir(dir.c_str(), 0700);
        dir += "/Tessarine";
        mkdir(dir.c_str(), 0700);
        std::ofstream(settingsPath(), std::ios::binary) << text;
    }
    std::string readRaw()
    {
        return readFile(settingsPath());
    }
};

TEST_F(SettingsStoreTest, PathFollowsXdgConfigHome)
{
    EXPECT_EQ(settingsPath(), folder + "/Quorvane/Tessarine/settings");
    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    // A relative value is not a valid XDG folder: the home fallback is used instead.
    EXPECT_EQ(settingsPath().find("relative"), std::string::npos);
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryByteAndMode0600)
{
    SettingsKey key;
    EXPECT_FALSE(settingsOpen(key, false));   // nothing stored yet
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "ScreenWidth", "1024");
    settingsWrite(key, "Username", "a=b\\c\nd\te\r");
    settingsWrite(key, "Empty", "");
    settingsWrite(key, "Unicode", "K\xC3\xA4se");
    ASSERT_TRUE(settingsClose(key));

    struct stat st;
    ASSERT_EQ(stat(settingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    SettingsKey again;
    ASSERT_TRUE(settingsOpen(again, false));
    std::string value;
    ASSERT_TRUE(settingsRead(again, "ScreenWidth", value));
    EXPECT_EQ(value, "1024");
    ASSERT_TRUE(settingsRead(again, "Username", value));
    EXPECT_EQ(value, "a=b\\c\nd\te\r");
    ASSERT_TRUE(settingsRead(again, "Empty", value));
    EXPECT_EQ(value, "");
    ASSERT_TRUE(settingsRead(again, "Unicode", value));
    EXPECT_EQ(value, "K\xC3\xA4se");
    EXPECT_FALSE(settingsRead(again, "Missing", value));
    settingsClose(again);

    // It holds the player's sealed password: one an older build or a copy left open to its group
    // or to every user is the owner's only once opened, though nothing changed.
    for (mode_t open : {0644, 0640, 0604, 0660, 0606}) {
        ASSERT_EQ(chmod(settingsPath().c_str(), open), 0);
        ASSERT_TRUE(settingsOpen(again, true));
        ASSERT_TRUE(settingsClose(again));
        ASSERT_EQ(stat(settingsPath().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << std::oct << open;
    }

    // No temporary file is left beside the settings.
    DIR* dir = opendir((folder + "/Quorvane/Tessarine").c_str());
    ASSERT_NE(dir, nullptr);
    int entries = 0;
    while (dirent* e = readdir(dir))
        if (e->d_name[0] != '.')
            ++entries;
    closedir(dir);
    EXPECT_EQ(entries, 1);
}

// The file made the owner's only is the file read: a link's own file, not the link, and not another
// file given the name while it was read.
TEST_F(SettingsStoreTest, TheFileReadIsTheOneMadeTheOwnersOnly)
{
    const std::string path = settingsPath(), linked = folder + "/linked", read = path + ".read";
    auto mode = [](const std::string& file) {
        struct stat st {};
        return lstat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
    };
    auto widthRead = [] {
        SettingsKey key;
        std::string width;
        bool loaded = settingsOpen(key, false) && settingsRead(key, "ScreenWidth", width);
        settingsClose(key);
        return loaded ? width : "not loaded";
    };
    writeRaw("# Tessarine settings 1\nScreenWidth=1024\n");
    ASSERT_EQ(rename(path.c_str(), linked.c_str()), 0);
    ASSERT_EQ(chmod(linked.c_str(), 0644), 0);
    ASSERT_EQ(symlink(linked.c_str(), path.c_str()), 0);
    EXPECT_EQ(widthRead(), "1024");
    EXPECT_EQ(mode(linked), 0600u);
    struct stat st {};
    EXPECT_TRUE(lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode));

    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(rename(linked.c_str(), path.c_str()), 0);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    renamedName = path;
    renameWhenRead = st.st_ino;
    EXPECT_EQ(widthRead(), "1024");
    EXPECT_EQ(renameWhenRead.exchange(0), 0u) << "the file was never read";
    EXPECT_EQ(mode(read), 0600u);
    EXPECT_EQ(mode(path), 0644u) << "the file given the name was changed";
}

TEST_F(SettingsStoreTest, DamagedFilesGiveDefaultsAndAreReplacedWhole)
{
    SettingsKey key;
    std::string value;

    // Binary garbage without our header: nothing is read.
    writeRaw(std::string("\x7f" "ELF\0\0garbage=1\n", 17));
    EXPECT_FALSE(settingsOpen(key, false));
    EXPECT_FALSE(settingsRead(key, "garbage", value));

    // Sound lines survive, broken ones are dropped.
    writeRaw("# Tessarine settings 1\nScreenWidth=800\nno equals sign\n=nameless\nBad=\\q1\nCut=\\x4\nHeight=600");
    ASSERT_TRUE(settingsOpen(key, false));
    EXPECT_TRUE(settingsRead(key, "ScreenWidth", value));
    EXPECT_EQ(value, "800");
    EXPECT_TRUE(settingsRead(key, "Height", value));
    EXPECT_EQ(value, "600");
    EXPECT_FALSE(settingsRead(key, "Bad", value));
    EXPECT_FALSE(settingsRead(key, "Cut", value));
    EXPECT_EQ(key.values.size(), 2u);
    settingsClose(key);

    // A value far too long for any setting is not taken.
    writeRaw("# Tessarine settings 1\nLong=" + std::string(100000, '7') + "\n");
    ASSERT_TRUE(settingsOpen(key, false));
    EXPECT_FALSE(settingsRead(key, "Long", value));
    settingsClose(key);

    // Saving over a damaged file writes a complete new one.
    writeRaw("garbage");
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "Volume", "7.5");
    ASSERT_TRUE(settingsClose(key));
    EXPECT_EQ(readRaw(), "# Tessarine settings 1\nVolume=7.5\n");
}

// Whatever a write accepts comes back unchanged from the next load, and again after a save of
// what was loaded; what a load could not give back is refused.
TEST_F(SettingsStoreTest, EveryAcceptedNameLoadsBackUnchanged)
{
    const std::string names[] = {"#Username", "##", "a=b", "=lead", "line\nbreak", "cr\r",
                                 "back\\slash", " spaced ", "\x7f", std::string(4096, 'n')};
    const size_t count = sizeof names / sizeof names[0];
    auto valueOf = [](size_t i) { return "#" + std::to_string(i) + "=\n"; };
    SettingsKey key;
    ASSERT_TRUE(settingsOpen(key, true));
    for (size_t i = 0; i < count; ++i)
        EXPECT_TRUE(settingsWrite(key, names[i], valueOf(i))) << i;
    EXPECT_FALSE(settingsWrite(key, "", "x"));
    EXPECT_FALSE(settingsWrite(key, std::string(4097, 'n'), "x"));
    EXPECT_FALSE(settingsWrite(key, "Long", std::string(4097, 'v')));
    ASSERT_TRUE(settingsClose(key));

    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(settingsOpen(key, false));
        std::string value;
        for (size_t i = 0; i < count; ++i) {
            EXPECT_TRUE(settingsRead(key, names[i], value)) << "pass " << pass << ", name " << i;
            EXPECT_EQ(value, valueOf(i));
        }
        EXPECT_FALSE(settingsRead(key, "Long", value));
        settingsWrite(key, "Pass", std::to_string(pass));   // the save rewrites the file
        ASSERT_TRUE(settingsClose(key));
    }
}

// Values that would grow the file past what a load reads are refused; the ones before stay.
TEST_F(SettingsStoreTest, AFileTooLargeToLoadIsNeverWritten)
{
    SettingsKey key;
    ASSERT_TRUE(settingsOpen(key, true));
    const std::string control(4096, '\x01');   // four bytes each once escaped
    int accepted = 0;
    while (accepted < 200 && settingsWrite(key, "Value" + std::to_string(accepted), control))
        ++accepted;
    EXPECT_GT(accepted, 10);
    EXPECT_LT(accepted, 200);
    ASSERT_TRUE(settingsClose(key));
    EXPECT_GT(readRaw().size(), (1u << 20) - 4 * control.size());   // refused only when needed
    ASSERT_TRUE(settingsOpen(key, false));
    EXPECT_EQ(key.values.size(), static_cast<size_t>(accepted));
}

TEST_F(SettingsStoreTest, FailedWriteKeepsTheOldFile)
{
    SettingsKey key;
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "A", "1");
    ASSERT_TRUE(settingsClose(key));
    std::string before = readRaw();

    // A folder where the temporary file would go makes the write fail, even for root.
    std::string blocker = settingsPath() + ".tmp" + std::to_string(getpid());
    ASSERT_EQ(mkdir(blocker.c_str(), 0700), 0);
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "A", "2");
    EXPECT_FALSE(settingsClose(key));
    rmdir(blocker.c_str());
    EXPECT_EQ(readRaw(), before);
}

TEST_F(SettingsStoreTest, UnchangedValuesDoNotRewrite)
{
    SettingsKey key;
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "A", "1");
    ASSERT_TRUE(settingsClose(key));
    ASSERT_TRUE(settingsOpen(key, true));
    settingsWrite(key, "A", "1");
    EXPECT_FALSE(key.dirty);
    settingsWrite(key, "A", "2");
    EXPECT_TRUE(key.dirty);
}

} // namespace
