// RSA with keys given as PEM text (PKCS#1 v1.5 padding, 128-byte blocks for the service's
// 1024-bit key), AES under a pass text, and the two session-key forms built on them.
#pragma once
#include <string>

// One block each; "" when the key cannot be read or the operation gives nothing.
// Public-key encryption (type 2 padding) and its inverse with the private key.
std::string rsaPublicEncrypt(const std::string& data, const std::string& publicKeyPem);
std::string rsaPrivateDecrypt(const std::string& data, const std::string& privateKeyPem);
// Private-key encryption (type 1 padding) and its inverse with the public key.
std::string rsaPrivateEncrypt(const std::string& data, const std::string& privateKeyPem);
std::string rsaPublicDecrypt(const std::string& data, const std::string& publicKeyPem);

// Block-wise: plain text in pieces of at most 117 bytes, each sealed into 128 bytes. Mode 1 uses
// the public key (rsaPublicEncrypt), mode 2 the private key (rsaPrivateEncrypt).
std::string rsaSeal(std::string data, int mode, std::string keyPem);
// The inverse, 128 bytes at a time: mode 1 opens with the public key what the private key sealed,
// mode 2 decrypts with the private key. A block that does not open adds nothing; data whose length
// is not a multiple of 128 gives "".
std::string rsaUnseal(std::string data, int mode, std::string keyPem);

// count random bytes in base64, cut to count characters.
std::string randomKey(int count);
// AES-256-CBC; the key and vector are the leading bytes of hashStringKey(pass) and of
// hashStringKey("vel_ot_" + pass). "" when decryption fails.
std::string aesEncrypt(const std::string& data, const std::string& pass);
std::string aesDecrypt(const std::string& data, const std::string& pass);
// base64(RSA(random key)) + "#" + base64(AES(data, key)) in one line, and its inverse.
std::string sealWithSessionKey(const std::string& data, const std::string& publicKeyPem);
std::string openWithSessionKey(const std::string& sealed, const std::string& privateKeyPem);

// A new RSA key (exponent 65537) as private-key PEM; "" on failure.
std::string generateRsaKeyPem(int bits);
// The "BEGIN PUBLIC KEY" PEM of a private key; "" when it cannot be read.
std::string publicKeyFromPrivatePem(const std::string& privateKeyPem);
// Why a PEM text cannot open what is sealed in 128-byte blocks ("" when it can): it must be an
// RSA private key of 1024 bits, readable without a pass phrase.
std::string sealingKeyFault(const std::string& privateKeyPem);
