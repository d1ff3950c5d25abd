// The backdrop the menu pages share.
#pragma once

// Placeholder until the menu pages are written: draws nothing yet.
void renderMenuBase();
