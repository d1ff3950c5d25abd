#include "screens/pending_pages.h"

void renderPatching() {}
void renderCreateAcc() {}
void renderLogin() {}
void renderRanking() {}
