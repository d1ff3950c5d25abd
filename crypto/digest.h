// Message digests of texts, as lower-case hex.
#pragma once
#include <string>

// SHA-256: the password digest ("passwordHash") and the patch digest.
std::string hashString(const std::string& text);
// SHA-1.
std::string hashString2(const std::string& text);
// SHA-512: the AES key and vector derivation.
std::string hashStringKey(const std::string& text);
// MD5.
std::string hashString4(const std::string& text);
