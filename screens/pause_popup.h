// What stands over a paused game: a tutorial page, the question whether to reset the tutorials,
// the wait for an overdue server reply, or the pause menu.
#pragma once
#include <string>

void renderPause();
void renderTutorial();

// The popup's form, the first that applies in this order.
enum class PauseForm { Tutorial, ResetPrompt, Waiting, ReplyArrived, OfflineConfirm, Menu };
PauseForm pauseForm();
// The dots after "Connecting" at t ms of the 4000 ms cycle.
std::string connectingDots(float t);
// The tutorial page image of a page (0..8) under a mouse scheme; "" for no page.
std::string tutorialImage(int page, int mouseScheme);
