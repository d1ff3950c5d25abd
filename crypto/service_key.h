// The web service's RSA public key (1024 bits) in PEM form: "\r\n" line ends, none after the
// last marker, 276 characters.
#pragma once
#include <string>

extern const std::string servicePublicKeyPem;
