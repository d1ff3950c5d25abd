// Engine start-up initialisation and shut-down.
#pragma once

bool initialize();
void deinitialize();
