// Digests, base64 and the RSA sealing of the web service's requests and stored password: a leaf
// library that includes nothing of the project, so every layer may link it.
// Placeholder until the online services are written: base64Decode is complete, rsaUnseal
// and the service's key are not.
#pragma once
#include <string>

// The web service's RSA public key in PEM form.
extern const std::string servicePublicKeyPem;

// The bytes that standard base64 text decodes to; empty when the text is not valid base64.
std::string base64Decode(std::string text);
// Opens data in 128-byte RSA blocks with the public key (mode 1, or 2 for the other routine)
// and returns the joined results.
std::string rsaUnseal(std::string data, std::string publicKeyPem, int mode);
