// Every test program keeps its settings in a folder of its own: CTest runs tests in parallel
// processes, and a test that saves or reloads the settings must not read another's file.
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
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
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
