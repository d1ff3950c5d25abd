// Every test program keeps its settings and its data (the patch folder) in a folder of its own:
// CTest runs tests in parallel processes, a test that saves or reloads the settings must not read
// another's file, and none may write into the folders of the person running the tests. Every test
// puts those folders and its working folder back as it found them.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class PrivateSettings : public ::testing::Environment {
public:
    void SetUp() override
    {
        char pattern[] = "/tmp/ts-test-settings-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        folder = pattern;
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    }
    void TearDown() override
    {
        if (!folder.empty())
            std::system(("rm -rf '" + folder + "'").c_str());
    }

private:
    std::string folder;
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new PrivateSettings);

// A test ends in the working folder and with the settings and data folders it began with: one that
// changed them and did not put them back would hand them to every test after it in the program.
class PutBack : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { start = now(); }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        const Places end = now();
        for (std::size_t i = 0; i < end.size(); ++i)
            if (end[i] != start[i])
                ADD_FAILURE() << names[i] << " was " << start[i] << ", left as " << end[i];
    }

    using Places = std::array<std::string, 3>;
    static constexpr const char* names[] = {"the working folder", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    static Places now()
    {
        char here[4096] = "";
        const char *settings = std::getenv("XDG_CONFIG_HOME"), *data = std::getenv("XDG_DATA_HOME");
        return {getcwd(here, sizeof here) ? here : "(none)", settings ? settings : "(unset)", data ? data : "(unset)"};
    }
    Places start;
};

const bool listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PutBack);
    return true;
}();

} // namespace
