#include "screens/menu_base.h"

void renderMenuBase() {}
