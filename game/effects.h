// Effects and texts spawned in play: the removal bursts, the floating texts and the pulses.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vecmath.h"

struct PolyparticleSystem;

struct Floaty {
    Vector2 position;          // screen pixels
    int32_t value = 0;         // a group's points for a score text; 0 for other texts
    std::string text;
    float age = 0.0f;          // ms
    float growth = 1250.0f;    // the pop-in's size term
    int anchor = 5;            // text anchor handed to the font
    bool emphasised = false;   // both flags keep a text up longer and draw it larger
    bool golden = false;
};

extern std::vector<Floaty> floatys;
extern float comboPulse;       // scale of the combo readout, 1.0 at rest
extern float countdownPulse;   // scale of the Survival countdown, 1.0 at rest
extern float powerupGlowAngle; // degrees, 0..360: the phase of the powerup glow
extern float hudSpinAngle;     // degrees
extern float blockFlashLevel;  // 1 while the Multiplier runs, then fading to 0
inline constexpr float floatyLifetime = 5000.0f;   // ms

// Appends a floating text starting at `position`.
void spawnFloaty(Vector2 position, std::string text, bool emphasised, bool golden, int32_t value = 0);
// Where the texts beside the score readout start (the Rush penalty, the Survival stage texts).
Vector2 scoreTextPoint();

// The particle texture of a block colour 1..7; empty for any other colour.
std::string particleTextureName(int colour);
// A burst of the cube prototype at `position` in the colour's texture, in the first idle particle
// system (system 0 when all are busy). A colour without a texture starts nothing.
void startBurst(Vector3 position, int colour);
// The same from another prototype (the congratulations page bursts geospheres).
void startBurst(Vector3 position, int colour, PolyparticleSystem* prototype);

// The camera's slow turn when the player does nothing: a drag's momentum decays to a drift of
// half its axis weight; real-time speed under Timewarp.
void updateIdleTurn(float dtMs);
// Texts, feedback slots, the shown score, the pulses and the HUD's clocks (dt slowed by
// Timewarp); the button's hold time in real time.
void updatePlayEffects(float dtMs, float realDtMs);
// Bursts fall towards the bottom of the screen, move and end; also while paused.
void updateParticleMotion(float dtMs);
