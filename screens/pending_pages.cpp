#include "screens/pending_pages.h"

void renderPatching() {}
