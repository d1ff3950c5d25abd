#include "engine/sound.h"

// Placeholder until the sound engine is written.
void UpdateSound() {}
