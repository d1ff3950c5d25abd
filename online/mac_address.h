// The network adapters' hardware addresses as one text, sent with the login request.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Every adapter's address as "%02X-%02X-%02X-%02X-%02X-%02X", separated by one blank; only the first
// maxAdapterRecords adapters are read.
inline constexpr std::size_t maxAdapterRecords = 16;
std::string getMacAddress();
// The same text for the first maxAdapterRecords entries of a list of 6-byte addresses (entries of
// another length are skipped, but take their place among the 16).
std::string formatMacAddresses(const std::vector<std::vector<unsigned char>>& addresses);
