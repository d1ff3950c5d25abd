#include "online/sealing.h"

#include "crypto/codec.h"
#include "crypto/seal.h"
#include "crypto/service_key.h"
#include "engine/util.h"

#include <cstdlib>

std::string serviceHost()
{
    const char* named = std::getenv("TESSARINE_SERVER");
    std::string host = named ? named : "";
    // Only a bare host:port is taken: anything else would change the path of every request.
    bool plain = !host.empty() && host.find(':') != std::string::npos;
    for (char c : host)
        if (c <= ' ' || c > '~' || c == '/' || c == '?' || c == '#' || c == '@')
            plain = false;
    return plain ? host : "127.0.0.1:" + std::to_string(servicePort);
}

std::string secureUrl = "http://" + serviceHost() + "/secure.php?data=";

std::string makeUrlSafe(std::string text)
{
    replaceAll("+", "-", text);
    replaceAll("/", "_", text);
    return text;
}

std::string sealUrl(std::string url)
{
    return secureUrl + makeUrlSafe(stripLineBreaks(toBase64(rsaSeal(url, 1, servicePublicKeyPem))));
}
