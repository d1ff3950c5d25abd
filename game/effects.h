// Effects and texts spawned in play.
// Placeholder until the effects of play are written.
#pragma once
#include <string>
#include <vector>

#include "engine/vecmath.h"

struct Floaty {
    Vector3 position;
    std::string text;
    float age = 0.0f;
    float growth = 1250.0f;
    int anchor = 5;
    bool emphasised = false;
    bool golden = false;
};

extern std::vector<Floaty> floatys;
