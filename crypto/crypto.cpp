#include "crypto/crypto.h"

#include <openssl/evp.h>

#include <vector>

// Placeholder until the online services are written: the key is made with them.
const std::string servicePublicKeyPem;

std::string base64Decode(std::string text)
{
    if (text.empty() || text.size() % 4 != 0)
        return std::string();
    std::vector<unsigned char> out(text.size() / 4 * 3);
    int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                            static_cast<int>(text.size()));
    if (n < 0)
        return std::string();
    // EVP_DecodeBlock counts the bytes of the padding as zeros.
    if (text[text.size() - 1] == '=')
        n--;
    if (text[text.size() - 2] == '=')
        n--;
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(n));
}

std::string hashString(const std::string& text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return std::string();
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::string urlEncode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '_' || b == '.' || b == '~';
        if (unreserved) {
            out += c;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

// Placeholder until the online services are written: nothing can be opened yet.
std::string rsaUnseal(std::string, std::string, int)
{
    return std::string();
}
