#include "crypto/digest.h"

#include "crypto/codec.h"

#include <openssl/evp.h>

namespace {

std::string digestHex(const EVP_MD* md, const std::string& text)
{
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx)
        return std::string();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    bool ok = EVP_DigestInit_ex(ctx, md, nullptr) == 1 &&
              EVP_DigestUpdate(ctx, text.data(), text.size()) == 1 &&
              EVP_DigestFinal_ex(ctx, digest, &length) == 1;
    EVP_MD_CTX_free(ctx);
    return ok ? toHex(digest, length) : std::string();
}

}

std::string hashString(const std::string& text) { return digestHex(EVP_sha256(), text); }
std::string hashString2(const std::string& text) { return digestHex(EVP_sha1(), text); }
std::string hashStringKey(const std::string& text) { return digestHex(EVP_sha512(), text); }
std::string hashString4(const std::string& text) { return digestHex(EVP_md5(), text); }
