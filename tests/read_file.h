// A file's bytes read back whole, for tests that check what was written. Needs nothing of the
// project, so every test program can use it.
#pragma once
#include <fstream>
#include <sstream>
#include <string>

// "" when the file cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
