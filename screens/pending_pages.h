// The account pages, the ranking and the patching page. Placeholders until those pages are
// written: each draws nothing yet, so their states show the backdrop, pointer and fade.
#pragma once

void renderPatching();
void renderCreateAcc();
void renderLogin();
void renderRanking();
