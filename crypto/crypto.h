// Digests, base64 and the RSA sealing of the web service's requests and stored password: a leaf
// library that includes nothing of the project, so every layer may link it.
// Placeholder until the online services are written: base64Decode, hashString and urlEncode are
// complete, rsaUnseal and the service's key are not.
#pragma once
#include <string>

// The web service's RSA public key in PEM form.
extern const std::string servicePublicKeyPem;

// The bytes that standard base64 text decodes to; empty when the text is not valid base64.
std::string base64Decode(std::string text);
// Lower-case hex of the SHA-256 digest of the text: the "passwordHash" field of requests.
std::string hashString(const std::string& text);
// Keeps A-Z a-z 0-9 "-_.~" and writes every other byte as "%XX" (upper-case hex), so that a value
// can never start another field of a query.
std::string urlEncode(const std::string& text);
// Opens data in 128-byte RSA blocks with the public key (mode 1, or 2 for the other routine)
// and returns the joined results.
std::string rsaUnseal(std::string data, std::string publicKeyPem, int mode);
