// The click dispatcher: what a left click does on every page outside play, and the web pages
// that some buttons open.
#pragma once
#include <string>

#include "game/page_state.h"

// The per-state part of a left click (every state but play, the score page and the
// congratulations page, whose presses the input handlers keep).
void dispatchPageClick();

// A page of the game's web site, on the web service's host ("contact.html").
std::string webPageUrl(const std::string& page);
// Opens it in the browser (never while headless); what opens it can be replaced by tests.
void openWebPage(const std::string& page);
extern bool (*webPageOpener)(const std::string& url);
