#include "crypto/codec.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

namespace {

const char hexDigits[] = "0123456789abcdef";
const char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

using EncodeContext = std::unique_ptr<EVP_ENCODE_CTX, decltype(&EVP_ENCODE_CTX_free)>;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}

std::string stripLineBreaks(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

std::string toHex(const unsigned char* bytes, std::size_t count)
{
    // Digests are at most 64 bytes; the cap only bounds what a caller can ask for.
    return toHexString(bytes, count < 510 ? count : 510);
}

std::string toHexString(const unsigned char* bytes, std::size_t count)
{
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += hexDigits[bytes[i] >> 4];
        out += hexDigits[bytes[i] & 15];
    }
    return out;
}

std::string toBase64(const std::string& bytes)
{
    if (bytes.empty())
        return std::string();
    EncodeContext ctx(EVP_ENCODE_CTX_new(), EVP_ENCODE_CTX_free);
    if (!ctx)
        return std::string();
    EVP_EncodeInit(ctx.get());
    // 65 characters per 48 bytes, plus the last partial line and the terminator.
    std::vector<unsigned char> out(bytes.size() / 48 * 65 + 80);
    std::size_t written = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    // The encoder takes an int length: feed it in slices (a multiple of 48, so lines stay whole).
    const std::size_t slice = 48u << 16;
    for (std::size_t at = 0; at < bytes.size(); at += slice) {
        int n = static_cast<int>(bytes.size() - at < slice ? bytes.size() - at : slice);
        int got = 0;
        if (EVP_EncodeUpdate(ctx.get(), out.data() + written, &got, in + at, n) != 1)
            return std::string();
        written += static_cast<std::size_t>(got);
    }
    int got = 0;
    EVP_EncodeFinal(ctx.get(), out.data() + written, &got);
    written += static_cast<std::size_t>(got);
    return std::string(reinterpret_cast<const char*>(out.data()), written);
}

std::string cStringToBase64(const char* text)
{
    return toBase64(text ? std::string(text) : std::string());
}

std::string base64_encode(const unsigned char* bytes, std::size_t count)
{
    std::string out;
    out.reserve((count + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= count; i += 3) {
        unsigned v = unsigned(bytes[i]) << 16 | unsigned(bytes[i + 1]) << 8 | bytes[i + 2];
        out += base64Alphabet[v >> 18];
        out += base64Alphabet[(v >> 12) & 63];
        out += base64Alphabet[(v >> 6) & 63];
        out += base64Alphabet[v & 63];
    }
    if (count - i == 1) {
        unsigned v = unsigned(bytes[i]) << 16;
        out += base64Alphabet[v >> 18];
        out += base64Alphabet[(v >> 12) & 63];
        out += "==";
    } else if (count - i == 2) {
        unsigned v = unsigned(bytes[i]) << 16 | unsigned(bytes[i + 1]) << 8;
        out += base64Alphabet[v >> 18];
        out += base64Alphabet[(v >> 12) & 63];
        out += base64Alphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string base64Decode(std::string text)
{
    text = stripLineBreaks(text);
    if (text.empty())
        return std::string();
    // OpenSSL's decoder skips blanks and stops at "-": anything outside the alphabet, or padding
    // before the end, makes the whole text no base64.
    const std::size_t padding = text.find('=');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool padded = padding != std::string::npos && i >= padding;
        if (padded ? text[i] != '=' : !isBase64Char(text[i]))
            return std::string();
    }
    // OpenSSL's decoder reads the line form its encoder writes.
    std::string lines;
    lines.reserve(text.size() + text.size() / 64 + 1);
    for (std::size_t at = 0; at < text.size(); at += 64) {
        lines.append(text, at, 64);
        lines += '\n';
    }
    EncodeContext ctx(EVP_ENCODE_CTX_new(), EVP_ENCODE_CTX_free);
    if (!ctx)
        return std::string();
    EVP_DecodeInit(ctx.get());
    std::vector<unsigned char> out(lines.size() / 4 * 3 + 3);
    std::size_t written = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(lines.data());
    const std::size_t slice = 65u << 16;   // whole lines
    for (std::size_t at = 0; at < lines.size(); at += slice) {
        int n = static_cast<int>(lines.size() - at < slice ? lines.size() - at : slice);
        int got = 0;
        if (EVP_DecodeUpdate(ctx.get(), out.data() + written, &got, in + at, n) < 0)
            return std::string();
        written += static_cast<std::size_t>(got);
    }
    int got = 0;
    if (EVP_DecodeFinal(ctx.get(), out.data() + written, &got) < 0)
        return std::string();
    written += static_cast<std::size_t>(got);
    return std::string(reinterpret_cast<const char*>(out.data()), written);
}

bool isBase64Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

std::string urlEncode(const std::string& text)
{
    static const char upperHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            unsigned char b = static_cast<unsigned char>(c);
            out += '%';
            out += upperHex[b >> 4];
            out += upperHex[b & 15];
        }
    }
    return out;
}

bool urlDecode(const std::string& text, std::string* out)
{
    out->clear();
    out->reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int high = hexValue(text[i + 1]);
        int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        *out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}
