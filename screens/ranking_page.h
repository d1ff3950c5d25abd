// The world ranking page: the mode with its arrows, ten rows of the list with a scroll column,
// "Back" and "Find Me", the spinner while the list is arriving and "Finding..." during a search.
#pragma once

void renderRanking();
