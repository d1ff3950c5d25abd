#include "engine/startup.h"

// Placeholders until start-up is written.
bool initialize() { return true; }
void deinitialize() {}
