// A test's own empty working folder (and readFile, to read back what was written there), and a
// variable of the environment set for as long as a test needs it.
#pragma once
#include "engine/log.h"
#include "../read_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

// A fresh folder made the working directory while it lives ("console.log" then opens there); the
// folder before is entered again and the scratch one removed at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            previous = cwd;
        char pattern[] = "/tmp/ts_test_XXXXXX";
        if (!mkdtemp(pattern) || chdir(pattern) != 0) {
            ADD_FAILURE() << "no scratch folder";
            return;
        }
        folder = pattern;
        closeLogFile();
    }
    ~ScratchFolder()
    {
        closeLogFile();
        if (folder.empty())
            return;
        EXPECT_EQ(chdir(previous.c_str()), 0);
        EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return folder; }

private:
    std::string folder, previous;
};

// A variable of the environment set while it lives; put back as it was (or unset) at the end.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name(name)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};
