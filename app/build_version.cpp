#include "app/main_loop.h"

const char* buildVersionText()
{
    return TS_VERSION_TEXT;
}
