// The intro: the maker's title and the loading of the media.
#pragma once

void UpdateIntro(float dtMs);
