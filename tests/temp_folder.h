// A fresh folder under /tmp for a test's files, removed with everything in it when it goes. Needs
// nothing of the project, so every test program can use it.
#pragma once
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

struct TempFolder {
    std::string path;   // empty when no folder could be made
    explicit TempFolder(const std::string& prefix = "ts_test")
    {
        std::string pattern = "/tmp/" + prefix + "_XXXXXX";
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
};
