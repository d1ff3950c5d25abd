// Every test program keeps its settings and its data (the patch folder) in a folder of its own:
// CTest runs tests in parallel processes, a test that saves or reloads the settings must not read
// another's file, and none may write into the folders of the person running the tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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

} // namespace
