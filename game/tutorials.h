// Tutorial pages in play and the pause flag.
#pragma once

extern bool paused;
