// The patching page. A placeholder until that page is written: it draws nothing yet, so its
// state shows the backdrop, pointer and fade.
#pragma once

void renderPatching();
