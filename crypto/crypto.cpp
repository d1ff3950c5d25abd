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

// Placeholder until the online services are written: nothing can be opened yet.
std::string rsaUnseal(std::string, std::string, int)
{
    return std::string();
}
