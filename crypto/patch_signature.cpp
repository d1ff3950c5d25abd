#include "crypto/patch_signature.h"

#include "crypto/codec.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <vector>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;
using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;

constexpr std::size_t signatureBytes = 64;

// Failed operations leave reasons on OpenSSL's per-thread error queue; nothing reads them.
struct ClearErrors {
    ~ClearErrors() { ERR_clear_error(); }
};

// Only an Ed25519 key: the patch key must never be mistaken for the service's RSA key.
Key readEd25519Key(const std::string& pem, bool isPrivate)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    EVP_PKEY* key = nullptr;
    if (bio)
        key = isPrivate ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)
                        : PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr);
    if (key && EVP_PKEY_get_base_id(key) != EVP_PKEY_ED25519) {
        EVP_PKEY_free(key);
        key = nullptr;
    }
    return Key(key, EVP_PKEY_free);
}

bool isCanonicalSize(const std::string& text)
{
    if (text.empty() || text.size() > 15 || text[0] == '0')
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool isLowerHexDigest(const std::string& text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// "0.1.1" of "Version 0.1.1", as the game reports its own; any other text as it stands.
std::string withoutReportedPrefix(const std::string& text)
{
    static const std::string reported = "Version ";
    return text.compare(0, reported.size(), reported) == 0 ? text.substr(reported.size()) : text;
}

// The numbers of a dotted version without their leading zeros ("0" becomes ""), so that numbers
// of any length compare by length first, then digit by digit.
std::vector<std::string> versionParts(const std::string& number)
{
    std::vector<std::string> parts(1);
    for (char c : number) {
        if (c == '.')
            parts.emplace_back();
        else if (c != '0' || !parts.back().empty())
            parts.back() += c;
    }
    return parts;
}

}

std::string patchStatement(const std::string& kind, const std::string& version, const std::string& size,
                           const std::string& digest)
{
    if ((kind != "update" && kind != "update_exe") || version.empty() || versionNumber(version) != version ||
        !isCanonicalSize(size) || !isLowerHexDigest(digest))
        return std::string();
    return "tessarine-patch-1\nkind=" + kind + "\nversion=" + version + "\nsize=" + size + "\nsha256=" + digest +
           "\n";
}

std::string signPatchStatement(const std::string& statement, const std::string& privateKeyPem)
{
    ClearErrors clear;
    Key key = readEd25519Key(privateKeyPem, true);
    DigestContext ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char signature[signatureBytes];
    std::size_t length = sizeof signature;
    // Ed25519 hashes the message itself: no digest is named.
    if (statement.empty() || !key || !ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        EVP_DigestSign(ctx.get(), signature, &length, reinterpret_cast<const unsigned char*>(statement.data()),
                       statement.size()) != 1 ||
        length != signatureBytes)
        return std::string();
    return base64_encode(signature, length);
}

bool verifyPatchStatement(const std::string& statement, const std::string& signature,
                          const std::string& publicKeyPem)
{
    ClearErrors clear;
    std::string bytes = base64Decode(signature);
    if (statement.empty() || bytes.size() != signatureBytes)
        return false;
    Key key = readEd25519Key(publicKeyPem, false);
    DigestContext ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    return key && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
           EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                            reinterpret_cast<const unsigned char*>(statement.data()), statement.size()) == 1;
}

std::string versionFault(const std::string& text)
{
    const std::string number = withoutReportedPrefix(text);
    if (number.empty())
        return "it holds no number";
    std::size_t part = 1;
    unsigned value = 0;
    bool digitBefore = false;
    for (char c : number) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            // Every number of a game's own version fits: one that does not is a slip of the keyboard.
            if (value > maxVersionNumber)
                return "its number " + std::to_string(part) + " is larger than " + std::to_string(maxVersionNumber);
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            ++part;
            value = 0;
            digitBefore = false;
        } else if (c == '.') {
            return part == 1 ? "it begins with a dot" : "two of its dots have no number between them";
        } else {
            std::string what = c >= ' ' && c <= '~' ? "\"" + std::string(1, c) + "\"" : "a control or non-ASCII byte";
            return what + " is neither a digit nor a dot";
        }
    }
    return digitBefore ? std::string() : "it ends with a dot";
}

std::string versionNumber(const std::string& text)
{
    return versionFault(text).empty() ? withoutReportedPrefix(text) : std::string();
}

bool isNewerVersion(const std::string& newer, const std::string& older)
{
    std::string a = versionNumber(newer), b = versionNumber(older);
    if (a.empty() || b.empty())
        return false;
    std::vector<std::string> left = versionParts(a), right = versionParts(b);
    for (std::size_t i = 0; i < left.size() || i < right.size(); ++i) {
        const std::string& x = i < left.size() ? left[i] : std::string();
        const std::string& y = i < right.size() ? right[i] : std::string();
        if (x != y)
            return x.size() != y.size() ? x.size() > y.size() : x > y;
    }
    return false;
}
