#include "screens/pending_pages.h"

void renderCreateAcc() {}
void renderLogin() {}
void renderRanking() {}
