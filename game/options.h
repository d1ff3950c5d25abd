// The options page and the restart prompt.
#pragma once

void UpdateOptions(float dtMs);
void UpdateRestart(float dtMs);
