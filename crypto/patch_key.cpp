// The patch key's public half: the stand-in's private half is server/patch_key.pem.
#include "crypto/patch_key.h"

const std::string patchPublicKeyPem =
    "-----BEGIN PUBLIC KEY-----\n"
    "MCowBQYDK2VwAyEAT2UUzTzDgipAtra7V6xuDk+7XO3F4u5ETKkNa1+opnA=\n"
    "-----END PUBLIC KEY-----\n";
