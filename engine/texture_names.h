// The names of the textures the asset pack holds, shared by the game and the pack builder.
#pragma once
#include <string>
#include <vector>

// The names the intro queues and streams, in their order.
const std::vector<std::string>& streamedTextureNames();
// Every texture of the pack in the pack's order: the streamed names, then the backdrops and the
// block tiles that play asks for by name.
const std::vector<std::string>& packTextureNames();
