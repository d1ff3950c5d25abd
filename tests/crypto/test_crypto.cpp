#include "crypto/codec.h"
#include "crypto/digest.h"
#include "crypto/patch_signature.h"
#include "crypto/seal.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xff);
    return bytes;
}

// One key for the whole program: making one takes a moment.
const std::string& testKey()
{
    static const std::string key = generateRsaKeyPem(1024);
    return key;
}

}

TEST(Digests, KnownVectorsOfFourDistinctAlgorithms)
{
    EXPECT_EQ(hashString(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hashString("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hashString2("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(hashStringKey("abc").substr(0, 32), "ddaf35a193617abacc417349ae204131");
    EXPECT_EQ(hashStringKey("abc").size(), 128u);
    EXPECT_EQ(hashString4("abc"), "900150983cd24fb0d6963f7d28e17f72");
    // Every byte counts, an embedded zero included.
    EXPECT_NE(hashString(std::string("a\0b", 3)), hashString("a"));
}

TEST(Hex, CapsAt510BytesAndKeepsLeadingZeros)
{
    std::string bytes = randomBytes(511, 1);
    bytes[0] = 0x0a;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string hex = toHex(data, bytes.size());
    ASSERT_EQ(hex.size(), 1020u);
    EXPECT_EQ(hex, toHexString(data, 510));
    EXPECT_EQ(hex.substr(0, 2), "0a");
    EXPECT_EQ(toHexString(data, 511).size(), 1022u);
    EXPECT_EQ(toHex(data, 0), "");
}

TEST(Base64, LinesOf64EachEndedByNewline)
{
    struct Case {
        std::size_t bytes;
        std::string shape;   // "L" a full line, "n" a short one
        std::size_t lastLine;
    };
    for (Case c : {Case{3, "n", 4}, Case{48, "L", 64}, Case{49, "Ln", 4}, Case{96, "LL", 64}}) {
        std::string bytes = randomBytes(c.bytes, 2);
        std::string text = toBase64(bytes);
        std::size_t lines = 0, start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            ++lines;
            EXPECT_EQ(end - start, lines < c.shape.size() ? 64u : c.lastLine) << c.bytes;
        }
        EXPECT_EQ(lines, c.shape.size()) << c.bytes;
        EXPECT_EQ(start, text.size()) << "the last line ends in a newline too";
        std::string plain = stripLineBreaks(text);
        EXPECT_EQ(plain, base64_encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
        for (char ch : plain)
            EXPECT_TRUE(isBase64Char(ch) || ch == '=');
    }
    EXPECT_EQ(toBase64(""), "");
    EXPECT_EQ(cStringToBase64("abc"), "YWJj\n");
}

TEST(Base64, DecodesWhateverTheLineBreaks)
{
    std::string bytes = randomBytes(300, 3);
    std::string plain = stripLineBreaks(toBase64(bytes));
    for (std::size_t width : {1u, 5u, 63u, 64u, 65u, 76u, 1000u}) {
        for (const char* lineEnd : {"\n", "\r\n"}) {
            std::string broken;
            for (std::size_t at = 0; at < plain.size(); at += width)
                broken += plain.substr(at, width) + lineEnd;
            EXPECT_EQ(base64Decode(broken), bytes) << width;
        }
    }
    EXPECT_EQ(base64Decode(plain), bytes);
}

TEST(Base64, InvalidTextDecodesToNothing)
{
    // A character outside the alphabet anywhere, even where the decoder would stop or skip it.
    for (const char* text : {"", "QUJ", "Q", "@@@@", "QUJD!", "QU\x01JD", "QUJD-garbage", "QUJD QUJD", "QU\tJD",
                             "QUI=QUJD", "QUJ-", "QUJD_"})
        EXPECT_EQ(base64Decode(text), "") << text;
    EXPECT_EQ(base64Decode("QUJD"), "ABC");
    EXPECT_EQ(base64Decode("QUI="), "AB");
}

TEST(UrlEscapes, EveryByteButTheUnreservedIsEscaped)
{
    EXPECT_EQ(urlEncode("Az09-_.~"), "Az09-_.~");
    EXPECT_EQ(urlEncode("a b&c=d/+?%"), "a%20b%26c%3Dd%2F%2B%3F%25");
    EXPECT_EQ(urlEncode(std::string("\xc3\xa9\0\xff", 4)), "%C3%A9%00%FF");

    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(urlDecode(urlEncode(all), &back));
    EXPECT_EQ(back, all);
    for (const char* bad : {"%", "%4", "a%G1", "%%41", "x%4"})
        EXPECT_FALSE(urlDecode(bad, &back)) << bad;
    ASSERT_TRUE(urlDecode("a%2fb%2F", &back));
    EXPECT_EQ(back, "a/b/");
}

TEST(Rsa, BlocksOfBothDirections)
{
    const std::string& privateKey = testKey();
    std::string publicKey = publicKeyFromPrivatePem(privateKey);
    ASSERT_NE(publicKey.find("BEGIN PUBLIC KEY"), std::string::npos);

    // Public-key sealing: 117 bytes a block; only the private key opens it.
    std::string text = randomBytes(250, 4);
    std::string sealed = rsaSeal(text, 1, publicKey);
    ASSERT_EQ(sealed.size(), 3u * 128u);
    EXPECT_EQ(rsaUnseal(sealed, 2, privateKey), text);
    EXPECT_NE(rsaSeal(text, 1, publicKey), sealed) << "the padding is random";

    // Private-key sealing, opened with the public key: the stored password's form.
    std::string first = randomBytes(117, 5), second = randomBytes(100, 6);
    std::string blocks = rsaPrivateEncrypt(first, privateKey) + rsaPrivateEncrypt(second, privateKey);
    ASSERT_EQ(blocks.size(), 256u);
    EXPECT_EQ(rsaUnseal(blocks, 1, publicKey), first + second);
    EXPECT_EQ(rsaSeal(first + second, 2, privateKey), blocks) << "type 1 padding is fixed";

    // A block that does not open adds nothing; the next one is still read.
    std::string damaged = blocks;
    damaged[5] ^= 0x40;
    EXPECT_EQ(rsaUnseal(damaged, 1, publicKey), second);
    // A length that is no whole number of blocks opens nothing at all.
    EXPECT_EQ(rsaUnseal(blocks.substr(0, 255), 1, publicKey), "");
    EXPECT_EQ(rsaUnseal(blocks + "x", 1, publicKey), "");
    // Unreadable keys, and keys of the wrong kind, give nothing.
    EXPECT_EQ(rsaSeal("abc", 1, "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----\n"), "");
    EXPECT_EQ(rsaPublicEncrypt("abc", privateKey), "");
    EXPECT_EQ(rsaPublicEncrypt(std::string(118, 'x'), publicKey), "") << "over one block";
    EXPECT_EQ(rsaSeal("", 1, publicKey), "");
}

TEST(Aes, RoundTripsUnderItsPassAndSessionKeys)
{
    std::string data = randomBytes(1000, 7);
    EXPECT_EQ(aesDecrypt(aesEncrypt(data, "pass"), "pass"), data);
    EXPECT_NE(aesDecrypt(aesEncrypt(data, "pass"), "other"), data);
    const std::string& privateKey = testKey();
    std::string session = sealWithSessionKey(data, publicKeyFromPrivatePem(privateKey));
    EXPECT_EQ(session.find('\n'), std::string::npos);
    EXPECT_EQ(openWithSessionKey(session, privateKey), data);
    EXPECT_NE(sealWithSessionKey(data, publicKeyFromPrivatePem(privateKey)), session) << "a new key each time";
}

// The game and the service both order versions by this: numbers, not text.
TEST(PatchVersions, DottedNumbersCompareNumberByNumber)
{
    struct Case {
        std::string newer, older;
        bool isNewer;
    };
    for (const Case& c : std::vector<Case>{
             {"0.3", "0.2", true},
             {"0.2", "0.3", false},
             {"0.10", "0.9", true},
             {"Version 0.1.1", "Version 0.1.0", true},
             {"1.2.0", "1.2", false},
             {"1.2", "1.2.0", false},
             {"1.2.0.1", "1.2", true},
             {"01.2", "1.2", false},
             {"0.65535", "0.65534", true},
             {"1.65535", "1.65534", true},
             {"0.0065535", "0.65534", true},
             // Past what a game's version holds: no version, so no typo outranks every later one.
             {"0.65536", "0.65535", false},
             {"1", "0.65536", false},
             {"2", "1.999", true},
             {"9", "", false},
             {"9", "Version", false},
             {"9", "0.1.0-next", false},
             {"1..2", "0", false},
             {".1", "0", false},
             {"1.", "0", false},
             {"Version  2", "1", false},
             {"v2", "1", false},
             {"2 ", "1", false},
         })
        EXPECT_EQ(isNewerVersion(c.newer, c.older), c.isNewer) << c.newer << " over " << c.older;
}
