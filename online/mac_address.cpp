#include "online/mac_address.h"

#include "platform/system.h"

#include <cstdio>

std::string formatMacAddresses(const std::vector<std::vector<unsigned char>>& addresses)
{
    std::string text;
    // The adapters' read has room for 16 records; the rest of the list is never seen.
    const std::size_t records = addresses.size() < maxAdapterRecords ? addresses.size() : maxAdapterRecords;
    for (std::size_t i = 0; i < records; ++i) {
        const std::vector<unsigned char>& a = addresses[i];
        if (a.size() != 6)
            continue;
        char buffer[18];
        snprintf(buffer, sizeof buffer, "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
        if (!text.empty())
            text += " ";
        text += buffer;
    }
    return text;
}

std::string getMacAddress()
{
    return formatMacAddresses(platformAdapterAddresses());
}
