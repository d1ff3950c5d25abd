#include "screens/pending_pages.h"

void renderEndgame() {}
void renderCredits() {}
void renderScoreScreen() {}
void renderGrats() {}
void renderOptions() {}
void renderMenu() {}
void renderGametype() {}
void renderDifficulty() {}
void renderLevelSelect() {}
void renderClassicModeSelect() {}
void renderMultimenu() {}
void renderMultilobby() {}
void renderCreateAcc() {}
void renderLogin() {}
void renderRanking() {}
void renderRestart() {}
void renderIntro() {}
