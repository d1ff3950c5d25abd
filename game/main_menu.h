// The main menu's update.
#pragma once

void UpdateMenu(float dtMs);
