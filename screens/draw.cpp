#include "screens/draw.h"

// Placeholder: the screens fill this in; until then a frame draws nothing.
void Draw()
{
}
