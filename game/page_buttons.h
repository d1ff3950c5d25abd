// Page buttons under the pointer, the page flags, and the click dispatcher: what a left click
// does on every page outside play.
#pragma once
#include <string>

extern int hoveredButton;      // button under the pointer on the current page, 0 none
extern int hoveredArrow;       // -1 left arrow, 1 right arrow, 0 none
extern bool optionsFromGame;   // the options page was opened from the paused game
extern int frameTicker;         // every page update adds 1, wrapping at 60

// Every page update's first step.
void advanceFrameTicker();

// The per-state part of a left click (every state but play, the score page and the
// congratulations page, whose presses the input handlers keep).
void dispatchPageClick();

// A page of the game's web site, on the web service's host ("contact.html").
std::string webPageUrl(const std::string& page);
// Opens it in the browser (never while headless); what opens it can be replaced by tests.
void openWebPage(const std::string& page);
extern bool (*webPageOpener)(const std::string& url);
