// The gameplay update of the play states.
#pragma once

void UpdateGame(float dtMs);
