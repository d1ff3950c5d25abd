#include "game/effects.h"

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/polyparticles.h"

std::vector<Floaty> floatys;
float comboPulse = 1.0f;
float countdownPulse = 1.0f;

void spawnFloaty(Vector2 position, std::string text, bool emphasised, bool golden, int32_t value)
{
    Floaty f;
    f.position = position;
    f.value = value;
    f.text = std::move(text);
    f.emphasised = emphasised;
    f.golden = golden;
    floatys.push_back(f);
}

Vector2 scoreTextPoint()
{
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    return Vector2(0.05f * h, h - 0.025f * w - largeFont.height);
}

std::string particleTextureName(int colour)
{
    static const char* const names[] = {"yellowparticle.tga", "blueparticle.tga", "redparticle.tga",
                                        "orangeparticle.tga", "pinkparticle.tga", "whiteparticle.tga",
                                        "greenparticle.tga"};
    if (colour < 1 || colour > 7)
        return std::string();
    return names[colour - 1];
}

void startBurst(Vector3 position, int colour)
{
    startBurst(position, colour, &cubePolyparticles);
}

void startBurst(Vector3 position, int colour, PolyparticleSystem* prototype)
{
    // A burst without a texture would be an invisible particle system holding a slot.
    const std::string texture = particleTextureName(colour);
    if (texture.empty())
        return;
    int slot = 0;
    for (int i = 0; i < 100; ++i)
        if (!particleSystems[i].active) {
            slot = i;
            break;
        }
    loadPolyparticle(position, prototype, texture, &particleSystems[slot]);
}

void updateIdleTurn(float) {}
void updatePlayEffects(float) {}
void updateParticleMotion(float) {}
