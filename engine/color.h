// A colour kept both as RGB bytes and as hue (degrees), saturation and lightness (0..1).
// Setting one side marks the other stale; reading a stale side recomputes it first.
#pragma once
#include <cstdint>

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    float hue = 0.0f;
    float saturation = 0.0f;
    float lightness = 0.0f;
    std::uint8_t rgbValid = 0;
    std::uint8_t hslValid = 0;

    // Stores the three values as given, without conversion.
    void setHSL(float hue, float lightness, float saturation);
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b);

    void setHue(float h);
    void setSaturation(float s);
    void setLightness(float l);
    float getHue();
    float getSaturation();
    float getLightness();

    void setRed(std::uint8_t v);
    void setGreen(std::uint8_t v);
    void setBlue(std::uint8_t v);
    std::uint8_t getRed();
    std::uint8_t getGreen();
    std::uint8_t getBlue();

    // Bring the stale side up to date (nothing when it is current).
    void updateHSL();
    void updateRGB();
};

// The debug colour of the atlas's free rectangles.
extern Color atlasHueColor;
