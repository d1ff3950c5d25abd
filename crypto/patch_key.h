// The public half of the patch key: an Ed25519 key that signs patch offers and nothing else.
#pragma once
#include <string>

extern const std::string patchPublicKeyPem;
