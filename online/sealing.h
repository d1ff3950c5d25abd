// The form every request travels in: the plain request text sealed with the web service's public
// key, in URL-safe base64, after the service's sealed-request address.
#pragma once
#include <string>

// The service's port on this machine unless TESSARINE_SERVER ("host:port") names another service.
inline constexpr int servicePort = 8723;
// "127.0.0.1:8723", or TESSARINE_SERVER when it is a plain host:port.
std::string serviceHost();
// "http://" + serviceHost() + "/secure.php?data=", fixed at start-up; the server choice may replace it.
extern std::string secureUrl;

// "+" becomes "-" and "/" becomes "_"; the "=" padding stays.
std::string makeUrlSafe(std::string text);
// secureUrl followed by the URL-safe base64 of the text sealed in RSA blocks.
std::string sealUrl(std::string url);
