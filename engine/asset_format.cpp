#include "engine/asset_format.h"
