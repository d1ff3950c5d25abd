// The page shown while a patch downloads (state 72): the amount downloaded against the patch's
// size, and the speed. No buttons; it reads what UpdatePatching keeps.
#pragma once

void renderPatching();
