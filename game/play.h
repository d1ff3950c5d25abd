// The gameplay update of the play states.
#pragma once

// One frame of the game. Every frame: the highscore request, the popup's input, the bursts, the
// end-of-level step and the reply waits (real frame time). Unpaused frames also run the rules of
// play between them, on a frame time quartered while Timewarp runs.
void UpdateGame(float dtMs);
// The clocks of a play frame: the game time (real), the actions-per-minute time, the row
// cooldowns, the Rush clock and the Survival countdown (real).
void updatePlayClocks(float dtMs, float realDtMs);
