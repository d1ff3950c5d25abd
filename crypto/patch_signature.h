// Patch offers: the one statement the patch key signs, its Ed25519 signature, and the order of the
// dotted versions the statement names (shared by the game and the service, so both judge alike).
#pragma once
#include <cstddef>
#include <string>

// The largest patch a game downloads, and so the largest the service offers.
inline constexpr std::size_t maxPatchBytes = std::size_t(256) << 20;

// "tessarine-patch-1\nkind=K\nversion=V\nsize=S\nsha256=D\n", or "" unless K is "update" or
// "update_exe", V a dotted number ("0.1.1"), S the size in bytes (1 to 15 digits, no leading zero)
// and D 64 lower-case hex digits.
std::string patchStatement(const std::string& kind, const std::string& version, const std::string& size,
                           const std::string& digest);
// The Ed25519 signature of statement under a private key (PEM), in base64 on one line; "" for an
// empty statement or a key that is no Ed25519 key.
std::string signPatchStatement(const std::string& statement, const std::string& privateKeyPem);
// True only when signature (base64) is the signature of statement under the public key (PEM).
bool verifyPatchStatement(const std::string& statement, const std::string& signature,
                          const std::string& publicKeyPem);

// The largest number of a version: a program's file version is numbers of 16 bits.
inline constexpr unsigned maxVersionNumber = 65535;

// What keeps text from being a version, in a few words ("" when nothing does): dotted numbers of 0
// to maxVersionNumber, given bare ("0.1.1") or as the game reports it ("Version 0.1.1").
std::string versionFault(const std::string& text);
// The dotted number of a version, as given; "" when it is none.
std::string versionNumber(const std::string& text);
// True when both are versions and newer is greater, number by number from the left; a missing
// number counts 0, so "1.2" and "1.2.0" are the same version.
bool isNewerVersion(const std::string& newer, const std::string& older);
