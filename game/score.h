// The player's score. Memory holds it with a constant offset added, so a memory editor finds no
// plain value; every rule reads and writes true values through these two.
#pragma once

int getScore();
void setScore(int value);
