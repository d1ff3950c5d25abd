// The layout of data/assets.ass, shared by the game's reader and the pack builder.
#pragma once
