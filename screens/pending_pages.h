// The account pages and the ranking. Placeholders until those pages are written: each draws
// nothing yet, so their states show the backdrop, pointer and fade.
#pragma once

void renderCreateAcc();
void renderLogin();
void renderRanking();
