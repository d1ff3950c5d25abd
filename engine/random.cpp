#include "engine/random.h"

#include <cstdlib>

void seedRandom(unsigned seed)
{
    std::srand(seed);
}

int gameRandom()
{
    return std::rand();
}
