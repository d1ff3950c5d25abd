// The web service's public key: the half of server/service_key.pem that the game carries.
#include "crypto/service_key.h"

const std::string servicePublicKeyPem =
    "-----BEGIN PUBLIC KEY-----\r\n"
    "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQDAViuoifD/iPQu7E5WKuwZbSjN\r\n"
    "UqvW7TeH0OfZwowP3GlVNwNQrNITst/MQxb0JtvPEKpYJDELA7cdMvTLWIgna4ji\r\n"
    "ATlbbkS2XhF99hpocoV8HpX7PXB9aFJLXEZQa3TX2E7SYmSmX06a7td9KnIGSzoA\r\n"
    "YcPS6IsWEwIlWi/J6QIDAQAB\r\n"
    "-----END PUBLIC KEY-----";
