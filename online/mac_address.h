// The network adapters' hardware addresses as one text, sent with the login request.
#pragma once
#include <string>
#include <vector>

// Every adapter's address as "%02X-%02X-%02X-%02X-%02X-%02X", separated by one blank.
std::string getMacAddress();
// The same text for a given list of 6-byte addresses (entries of another length are skipped).
std::string formatMacAddresses(const std::vector<std::vector<unsigned char>>& addresses);
