// The pages of the menus, the score, the online screens and the intro. Placeholders until those
// pages are written: each draws nothing yet, so their states show the backdrop, pointer and fade.
#pragma once

void renderEndgame();
void renderCredits();
void renderScoreScreen();
void renderGrats();
void renderOptions();
void renderMenu();
void renderGametype();
void renderDifficulty();
void renderLevelSelect();
void renderClassicModeSelect();
void renderMultimenu();
void renderMultilobby();
void renderCreateAcc();
void renderLogin();
void renderRanking();
void renderRestart();
void renderIntro();
