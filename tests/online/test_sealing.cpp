#include "crypto/codec.h"
#include "crypto/seal.h"
#include "crypto/service_key.h"
#include "online/query.h"
#include "online/sealing.h"
#include "server/scripts.h"
#include "server/stand_in.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string sealedValue(const std::string& text)
{
    std::string url = sealUrl(text);
    EXPECT_EQ(url.compare(0, secureUrl.size(), secureUrl), 0);
    return url.substr(secureUrl.size());
}

std::string openValue(std::string value)
{
    for (char& c : value)
        c = c == '-' ? '+' : c == '_' ? '/' : c;
    return rsaUnseal(base64Decode(value), 2, servicePrivateKeyPem());
}

}

TEST(ServiceKey, TheGameCarriesThePublicHalfOfTheServicesKey)
{
    ASSERT_EQ(servicePublicKeyPem.size(), 276u);
    EXPECT_EQ(servicePublicKeyPem.compare(0, 28, "-----BEGIN PUBLIC KEY-----\r\n"), 0);
    EXPECT_EQ(servicePublicKeyPem.substr(250), "\r\n-----END PUBLIC KEY-----");
    std::string derived = publicKeyFromPrivatePem(servicePrivateKeyPem());
    std::string carried = servicePublicKeyPem;
    std::string unix;
    for (char c : carried)
        if (c != '\r')
            unix += c;
    EXPECT_EQ(derived, unix + "\n");
}

TEST(Sealing, BlocksOf117BytesInUrlSafeBase64)
{
    std::string value117 = sealedValue(std::string(117, 'a'));
    EXPECT_EQ(value117.size(), 172u);
    EXPECT_EQ(value117.back(), '=');
    EXPECT_NE(value117[170], '=');
    std::string value118 = sealedValue(std::string(118, 'a'));
    EXPECT_EQ(value118.size(), 344u);
    EXPECT_EQ(value118.substr(342), "==");
    EXPECT_EQ(sealUrl(""), secureUrl);

    std::string text = "login.php?version=rc2&build=direct&username=quill&password=p%26w";
    std::string first = sealedValue(text), second = sealedValue(text);
    EXPECT_NE(first, second) << "the padding is random";
    for (const std::string& value : {first, second, value118}) {
        EXPECT_EQ(value.find_first_of("+/\r\n"), std::string::npos) << value;
    }
    EXPECT_EQ(openValue(first), text);
    EXPECT_EQ(openValue(second), text);
    EXPECT_EQ(openValue(value118), std::string(118, 'a'));
    EXPECT_EQ(makeUrlSafe("a+b/c=="), "a-b_c==");
}

TEST(Sealing, TheStoredPasswordOpensWithTheCarriedKey)
{
    for (const std::string& password : {std::string("hunter22"), std::string(200, 'p')}) {
        std::string stored = storedPasswordOf(password, servicePrivateKeyPem());
        EXPECT_EQ(rsaUnseal(base64Decode(stored), 1, servicePublicKeyPem), password);
    }
}

TEST(Sealing, TheServiceIsOnLoopbackUnlessTheEnvironmentNamesAnother)
{
    const char* saved = std::getenv("TESSARINE_SERVER");
    std::string old = saved ? saved : "";
    for (auto c : std::vector<std::pair<std::string, std::string>>{
             {"", "127.0.0.1:8723"}, {"10.0.0.5:9000", "10.0.0.5:9000"}, {"a:1/evil?x", "127.0.0.1:8723"}}) {
        setenv("TESSARINE_SERVER", c.first.c_str(), 1);
        EXPECT_EQ(serviceHost(), c.second) << c.first;
    }
    saved ? setenv("TESSARINE_SERVER", old.c_str(), 1) : unsetenv("TESSARINE_SERVER");
}

TEST(Query, EveryValueIsEscapedSoNoValueAddsAField)
{
    EXPECT_EQ(buildRequest("highscore.php?", {{"gamemode=", 2}, {"&level=", 10}, {"&username=", "a&userid=1"},
                                              {"&userid=", ""}}),
              "highscore.php?gamemode=2&level=10&username=a%26userid%3D1&userid=");
    EXPECT_EQ(buildRequest("reg.php?beta=1", {{"&email=", "q.x+y@mail.org"}, {"&password=", "p w%"}}),
              "reg.php?beta=1&email=q.x%2By%40mail.org&password=p%20w%25");
}
