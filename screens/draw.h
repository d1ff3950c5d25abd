// Frame composition: the entry the main loop calls once a frame.
#pragma once

void Draw();
