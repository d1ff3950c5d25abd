// The reply dispatch: what each kind of completed request does to the game, and the texts and
// values that the web service's replies set.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "online/query.h"   // userId, playHash and the reply fields

extern std::string syncReply, newsReply, deathReply;
extern int hasNews;            // the login announced news
extern std::string newsText;   // shown by the main menu, at most these bytes and lines
inline constexpr std::size_t maxNewsBytes = 16384;
inline constexpr std::size_t maxNewsLines = 200;
// A name check or registration of the new-profile page is on its way; each answer is read only
// while its panel is still up.
extern bool accountRequestSent;

// Once a frame: moves the transfers on and hands each finished one to handleReply.
void curlprocess();

// Once for every completed queued request: kind, libcurl's result (0 success), its reply text and
// the HTTP status it came with.
void handleReply(int kind, int resultCode, std::string* response, long httpStatus = 200);
