#include "tools/tga_write.h"

#include <cmath>

static unsigned char toByte(float v) {
    if (!(v > 0.0f)) return 0;  // also catches NaN
    if (v >= 1.0f) return 255;
    return static_cast<unsigned char>(std::lround(v * 255.0f));
}

std::vector<unsigned char> encodeTga(const Image& img, bool withAlpha) {
    const int bpp = withAlpha ? 4 : 3;
    std::vector<unsigned char> out(18 + size_t(img.width) * size_t(img.height) * size_t(bpp));
    out[2] = 2;  // uncompressed true colour
    out[12] = static_cast<unsigned char>(img.width & 0xff);
    out[13] = static_cast<unsigned char>(img.width >> 8);
    out[14] = static_cast<unsigned char>(img.height & 0xff);
    out[15] = static_cast<unsigned char>(img.height >> 8);
    out[16] = static_cast<unsigned char>(bpp * 8);
    out[17] = withAlpha ? 8 : 0;  // alpha bits; origin bit clear: first row stored is the bottom one
    size_t o = 18;
    for (int y = img.height - 1; y >= 0; --y)
        for (int x = 0; x < img.width; ++x) {
            Rgba c = img.get(x, y);
            if (!withAlpha) c = Rgba{c.r * c.a, c.g * c.a, c.b * c.a, 1.0f};  // flattened over black
            out[o++] = toByte(c.b);
            out[o++] = toByte(c.g);
            out[o++] = toByte(c.r);
            if (withAlpha) out[o++] = toByte(c.a);
        }
    return out;
}
