// Text forms of bytes: hex, base64 (OpenSSL's line form and a plain one) and URL escapes.
#pragma once
#include <cstddef>
#include <string>

// Every "\r" and "\n" removed.
std::string stripLineBreaks(std::string text);

// Lower-case hex, two digits a byte, of at most the first 510 bytes (1020 characters at most).
std::string toHex(const unsigned char* bytes, std::size_t count);
// Lower-case hex of all the bytes, no separators.
std::string toHexString(const unsigned char* bytes, std::size_t count);

// Standard base64 with "=" padding in lines of 64 characters, each ended by "\n" (the last too);
// empty input gives "".
std::string toBase64(const std::string& bytes);
std::string cStringToBase64(const char* text);
// The same alphabet and padding in one unbroken line.
std::string base64_encode(const unsigned char* bytes, std::size_t count);
// The bytes that base64 text (line breaks anywhere, or none) stands for; "" when it is not base64.
std::string base64Decode(std::string text);
// Letters, digits, "+" and "/".
bool isBase64Char(char c);

// Keeps A-Z a-z 0-9 "-_.~" and writes every other byte as "%XX" (upper-case hex).
std::string urlEncode(const std::string& text);
// The inverse: every "%XX" back to its byte. False (and *out unspecified) on a "%" that is not
// followed by two hex digits.
bool urlDecode(const std::string& text, std::string* out);
