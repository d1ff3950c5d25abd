#include "engine/color.h"

#include <algorithm>
#include <cmath>

Color atlasHueColor;

namespace {

// One channel of the HSL-to-RGB conversion; hue in degrees, already offset for the channel.
float hueToChannel(float p, float q, float hue)
{
    hue = std::fmod(hue, 360.0f);
    if (hue < 0.0f)
        hue += 360.0f;
    if (hue < 60.0f)
        return p + (q - p) * hue / 60.0f;
    if (hue < 180.0f)
        return q;
    if (hue < 240.0f)
        return p + (q - p) * (240.0f - hue) / 60.0f;
    return p;
}

std::uint8_t toByte(float value)
{
    float scaled = std::round(value * 255.0f);
    if (!(scaled > 0.0f))
        return 0;
    if (scaled > 255.0f)
        return 255;
    return static_cast<std::uint8_t>(scaled);
}

} // namespace

void Color::updateHSL()
{
    if (hslValid)
        return;
    int maxValue = std::max({r, g, b});
    int minValue = std::min({r, g, b});
    lightness = static_cast<float>(maxValue + minValue) / 510.0f;
    if (maxValue == minValue) {
        saturation = 0.0f;
        hue = 0.0f;
    } else {
        float delta = static_cast<float>(maxValue - minValue);
        float sum = static_cast<float>(maxValue + minValue);
        saturation = lightness <= 0.5f ? delta / sum : delta / (510.0f - sum);
        float dr = static_cast<float>(maxValue - r) / delta;
        float dg = static_cast<float>(maxValue - g) / delta;
        float db = static_cast<float>(maxValue - b) / delta;
        // Each test in turn; a later match overwrites an earlier one.
        if (r == maxValue)
            hue = (6.0f + db - dg) * 60.0f;
        if (g == maxValue)
            hue = (2.0f + dr - db) * 60.0f;
        if (b == maxValue)
            hue = (4.0f + dg - dr) * 60.0f;
        if (hue > 360.0f)
            hue -= 360.0f;
    }
    hslValid = 1;
}

void Color::updateRGB()
{
    if (rgbValid)
        return;
    // Lightness and saturation beyond 0..1 (setHSL stores whatever it is given) are taken at the limit.
    float l = std::clamp(lightness, 0.0f, 1.0f);
    float s = std::clamp(saturation, 0.0f, 1.0f);
    if (s == 0.0f) {
        r = g = b = toByte(l);
    } else {
        float q = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
        float p = 2.0f * l - q;
        r = toByte(hueToChannel(p, q, hue + 120.0f));
        g = toByte(hueToChannel(p, q, hue));
        b = toByte(hueToChannel(p, q, hue - 120.0f));
    }
    rgbValid = 1;
}

void Color::setHSL(float h, float l, float s)
{
    hue = h;
    lightness = l;
    saturation = s;
    hslValid = 1;
    rgbValid = 0;
}

void Color::setRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    r = red;
    g = green;
    b = blue;
    rgbValid = 1;
    hslValid = 0;
}

void Color::setHue(float h) { updateHSL(); hue = h; rgbValid = 0; }
void Color::setSaturation(float s) { updateHSL(); saturation = s; rgbValid = 0; }
void Color::setLightness(float l) { updateHSL(); lightness = l; rgbValid = 0; }
float Color::getHue() { updateHSL(); return hue; }
float Color::getSaturation() { updateHSL(); return saturation; }
float Color::getLightness() { updateHSL(); return lightness; }

void Color::setRed(std::uint8_t v) { updateRGB(); r = v; hslValid = 0; }
void Color::setGreen(std::uint8_t v) { updateRGB(); g = v; hslValid = 0; }
void Color::setBlue(std::uint8_t v) { updateRGB(); b = v; hslValid = 0; }
std::uint8_t Color::getRed() { updateRGB(); return r; }
std::uint8_t Color::getGreen() { updateRGB(); return g; }
std::uint8_t Color::getBlue() { updateRGB(); return b; }
