// Sound over OpenAL.
#pragma once

void UpdateSound();
