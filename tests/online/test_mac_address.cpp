#include "online/mac_address.h"

#include <gtest/gtest.h>

TEST(MacAddress, UpperCaseHexJoinedByOneBlank)
{
    EXPECT_EQ(formatMacAddresses({}), "");
    EXPECT_EQ(formatMacAddresses({{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xef}}), "00-1A-2B-3C-4D-EF");
    EXPECT_EQ(formatMacAddresses({{1, 2, 3, 4, 5, 6}, {0xff, 0xfe, 0, 0, 0, 0x10}}),
              "01-02-03-04-05-06 FF-FE-00-00-00-10");
    // An address of another length (not Ethernet) is left out.
    EXPECT_EQ(formatMacAddresses({{1, 2, 3}, {1, 2, 3, 4, 5, 6}}), "01-02-03-04-05-06");
    // Only the first 16 adapters are read, whatever the host has: 300 would make a login too long
    // to send.
    std::vector<std::vector<unsigned char>> many(300, {0, 0, 0, 0, 0, 0});
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i][5] = static_cast<unsigned char>(i);
    const std::string text = formatMacAddresses(many);
    EXPECT_EQ(text.size(), 16u * 18u - 1u);
    EXPECT_EQ(text.substr(text.size() - 17), "00-00-00-00-00-0F");
    // The live text has the same shape: 17 characters per adapter.
    std::string live = getMacAddress();
    EXPECT_EQ((live.size() + 1) % 18, live.empty() ? 1u : 0u);
}
