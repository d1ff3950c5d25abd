#include "game/starfield.h"

#include <algorithm>

#include "engine/config.h"
#include "engine/picking.h"
#include "engine/profiler.h"
#include "engine/random.h"

std::vector<Star> stars;

namespace {

Star newStar()
{
    Star s;
    s.size = 0.2f + static_cast<float>(gameRandom() % 1000) / 1000.0f * 0.1f;
    const float x = static_cast<float>(gameRandom() % 2000 - 1000);
    const float y = static_cast<float>(1800 - gameRandom() % 500);
    const float z = static_cast<float>(gameRandom() % 2000 - 1000);
    s.position = s.previousPosition = Vector3(x, y, z);
    return s;
}

bool inPlayColumn(const Star& s)
{
    const float edge = 5.0f * blockSize;
    return -edge < s.position.x && s.position.x < edge && -edge < s.position.z && s.position.z < edge;
}

} // namespace

void UpdateStarfield(float dtMs)
{
    PROFILE_SCOPE("UpdateStarfield");
    while (stars.size() < static_cast<std::size_t>(starCount))
        stars.push_back(newStar());
    for (Star& s : stars) {
        s.previousPosition = s.position;
        s.position.y -= dtMs / 20.0f;
        s.age += dtMs;
    }
    const auto gone = [](const Star& s) {
        return !pointInFrustum(s.position.x, s.position.y, s.position.z) || inPlayColumn(s);
    };
    stars.erase(std::remove_if(stars.begin(), stars.end(), gone), stars.end());
}
