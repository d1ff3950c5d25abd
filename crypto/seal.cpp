#include "crypto/seal.h"

#include "crypto/codec.h"
#include "crypto/digest.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;
using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;

constexpr std::size_t plainBlock = 117;    // 128 bytes less the 11 of PKCS#1 v1.5 padding
constexpr std::size_t sealedBlock = 128;

// Failed operations leave reasons on OpenSSL's per-thread error queue; nothing reads them.
struct ClearErrors {
    ~ClearErrors() { ERR_clear_error(); }
};

Key readKey(const std::string& pem, bool isPrivate)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    if (!bio)
        return Key(nullptr, EVP_PKEY_free);
    EVP_PKEY* key = isPrivate ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)
                              : PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr);
    if (key && EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        EVP_PKEY_free(key);
        key = nullptr;
    }
    return Key(key, EVP_PKEY_free);
}

enum class RsaOp { PublicEncrypt, PrivateDecrypt, PrivateEncrypt, PublicDecrypt };

std::string rsaOperation(const std::string& data, const std::string& pem, RsaOp op)
{
    ClearErrors clear;
    bool isPrivate = op == RsaOp::PrivateDecrypt || op == RsaOp::PrivateEncrypt;
    Key key = readKey(pem, isPrivate);
    if (!key)
        return std::string();
    KeyContext ctx(EVP_PKEY_CTX_new(key.get(), nullptr), EVP_PKEY_CTX_free);
    if (!ctx)
        return std::string();
    int ready = 0;
    switch (op) {
    case RsaOp::PublicEncrypt: ready = EVP_PKEY_encrypt_init(ctx.get()); break;
    case RsaOp::PrivateDecrypt: ready = EVP_PKEY_decrypt_init(ctx.get()); break;
    // Signing without a digest is the raw private-key operation with type 1 padding.
    case RsaOp::PrivateEncrypt: ready = EVP_PKEY_sign_init(ctx.get()); break;
    case RsaOp::PublicDecrypt: ready = EVP_PKEY_verify_recover_init(ctx.get()); break;
    }
    if (ready != 1 || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return std::string();

    std::vector<unsigned char> out(static_cast<std::size_t>(EVP_PKEY_get_size(key.get())));
    std::size_t length = out.size();
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    int done = 0;
    switch (op) {
    case RsaOp::PublicEncrypt: done = EVP_PKEY_encrypt(ctx.get(), out.data(), &length, in, data.size()); break;
    case RsaOp::PrivateDecrypt: done = EVP_PKEY_decrypt(ctx.get(), out.data(), &length, in, data.size()); break;
    case RsaOp::PrivateEncrypt: done = EVP_PKEY_sign(ctx.get(), out.data(), &length, in, data.size()); break;
    case RsaOp::PublicDecrypt:
        done = EVP_PKEY_verify_recover(ctx.get(), out.data(), &length, in, data.size());
        break;
    }
    if (done != 1 || length < 1 || length > out.size())
        return std::string();
    return std::string(reinterpret_cast<const char*>(out.data()), length);
}

std::string aesOperation(const std::string& data, const std::string& pass, bool encrypt)
{
    ClearErrors clear;
    // The hex texts' leading characters are the key and vector bytes as they stand.
    std::string key = hashStringKey(pass);
    std::string iv = hashStringKey("vel_ot_" + pass);
    if (key.size() < 32 || iv.size() < 16)
        return std::string();
    CipherContext ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr,
                                  reinterpret_cast<const unsigned char*>(key.data()),
                                  reinterpret_cast<const unsigned char*>(iv.data()), encrypt ? 1 : 0) != 1)
        return std::string();
    if (data.size() > static_cast<std::size_t>(INT32_MAX) - 32)
        return std::string();
    std::vector<unsigned char> out(data.size() + 32);
    int written = 0, last = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data(), &written, reinterpret_cast<const unsigned char*>(data.data()),
                         static_cast<int>(data.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out.data() + written, &last) != 1)
        return std::string();
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(written + last));
}

std::string bioText(BIO* bio)
{
    char* text = nullptr;
    long length = BIO_get_mem_data(bio, &text);
    return length > 0 && text ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

}

std::string rsaPublicEncrypt(const std::string& data, const std::string& publicKeyPem)
{
    return rsaOperation(data, publicKeyPem, RsaOp::PublicEncrypt);
}

std::string rsaPrivateDecrypt(const std::string& data, const std::string& privateKeyPem)
{
    return rsaOperation(data, privateKeyPem, RsaOp::PrivateDecrypt);
}

std::string rsaPrivateEncrypt(const std::string& data, const std::string& privateKeyPem)
{
    return rsaOperation(data, privateKeyPem, RsaOp::PrivateEncrypt);
}

std::string rsaPublicDecrypt(const std::string& data, const std::string& publicKeyPem)
{
    return rsaOperation(data, publicKeyPem, RsaOp::PublicDecrypt);
}

std::string rsaSeal(std::string data, int mode, std::string keyPem)
{
    std::string out;
    for (std::size_t at = 0; at < data.size(); at += plainBlock) {
        std::string block = data.substr(at, plainBlock);
        out += mode == 2 ? rsaPrivateEncrypt(block, keyPem) : rsaPublicEncrypt(block, keyPem);
    }
    return out;
}

std::string rsaUnseal(std::string data, int mode, std::string keyPem)
{
    // A cut-off tail cannot be a block; nothing of such data is trusted.
    if (data.size() % sealedBlock != 0)
        return std::string();
    std::string out;
    for (std::size_t at = 0; at < data.size(); at += sealedBlock) {
        std::string block = data.substr(at, sealedBlock);
        out += mode == 2 ? rsaPrivateDecrypt(block, keyPem) : rsaPublicDecrypt(block, keyPem);
    }
    return out;
}

std::string randomKey(int count)
{
    if (count <= 0)
        return std::string();
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count));
    if (RAND_bytes(bytes.data(), count) != 1)
        return std::string();
    std::string text = stripLineBreaks(toBase64(std::string(bytes.begin(), bytes.end())));
    return text.substr(0, static_cast<std::size_t>(count));
}

std::string aesEncrypt(const std::string& data, const std::string& pass) { return aesOperation(data, pass, true); }
std::string aesDecrypt(const std::string& data, const std::string& pass) { return aesOperation(data, pass, false); }

std::string sealWithSessionKey(const std::string& data, const std::string& publicKeyPem)
{
    std::string key = randomKey(64);
    return stripLineBreaks(toBase64(rsaPublicEncrypt(key, publicKeyPem)) + "#" + toBase64(aesEncrypt(data, key)));
}

std::string openWithSessionKey(const std::string& sealed, const std::string& privateKeyPem)
{
    std::size_t mark = sealed.find('#');
    if (mark == std::string::npos)
        return std::string();
    std::string key = rsaPrivateDecrypt(base64Decode(sealed.substr(0, mark)), privateKeyPem);
    if (key.empty())
        return std::string();
    return aesDecrypt(base64Decode(sealed.substr(mark + 1)), key);
}

std::string generateRsaKeyPem(int bits)
{
    ClearErrors clear;
    KeyContext ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr), EVP_PKEY_CTX_free);
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1)
        return std::string();
    EVP_PKEY* made = nullptr;
    if (EVP_PKEY_keygen(ctx.get(), &made) != 1)
        return std::string();
    Key key(made, EVP_PKEY_free);
    Bio bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return std::string();
    return bioText(bio.get());
}

std::string publicKeyFromPrivatePem(const std::string& privateKeyPem)
{
    ClearErrors clear;
    Key key = readKey(privateKeyPem, true);
    Bio bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!key || !bio || PEM_write_bio_PUBKEY(bio.get(), key.get()) != 1)
        return std::string();
    return bioText(bio.get());
}

std::string sealingKeyFault(const std::string& privateKeyPem)
{
    ClearErrors clear;
    if (privateKeyPem.empty())
        return "it is empty";
    auto read = [&](bool isPrivate) {
        Bio bio(BIO_new_mem_buf(privateKeyPem.data(), static_cast<int>(privateKeyPem.size())), BIO_free);
        // No pass phrase is asked for: the key is read again for every request.
        pem_password_cb* noPassPhrase = [](char*, int, int, void*) { return 0; };
        EVP_PKEY* key = !bio ? nullptr
                        : isPrivate ? PEM_read_bio_PrivateKey(bio.get(), nullptr, noPassPhrase, nullptr)
                                    : PEM_read_bio_PUBKEY(bio.get(), nullptr, noPassPhrase, nullptr);
        return Key(key, EVP_PKEY_free);
    };
    Key key = read(true);
    if (!key)
        return read(false) ? "it holds a public key only, not its private half"
                           : "it holds no private key in PEM (or one locked by a pass phrase)";
    if (EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA)
        return std::string("it holds a key of type ") + OBJ_nid2sn(EVP_PKEY_get_base_id(key.get())) + ", not RSA";
    if (EVP_PKEY_get_size(key.get()) != static_cast<int>(sealedBlock))
        return "it holds an RSA key of " + std::to_string(EVP_PKEY_get_bits(key.get())) +
               " bits; requests are sealed with " + std::to_string(sealedBlock * 8);
    return std::string();
}
