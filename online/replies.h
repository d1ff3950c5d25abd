// The reply dispatch: what each kind of completed request does to the game, and the texts and
// values that the web service's replies set.
#pragma once
#include <string>
#include <vector>

// Request kinds: what a queued request is, and so what its reply does.
namespace rk {
enum : int {
    Login = 1,
    Highscore = 2,
    Death = 3,
    Score = 4,
    Patch = 5,
    AchievementUpload = 6,
    AchievementSync = 7,
    News = 8,
    RankingPage = 9,
};
}

extern std::string loginReply, syncReply, newsReply, deathReply;
extern std::string userId;     // the account id of this login, sent as "&userid="
extern std::string playHash;   // this login's play hash, sent by logout
extern int hasNews;            // the login announced news
extern std::string newsText;   // shown by the main menu
extern int loginRetries;       // login transport failures so far

// Reads a number as atoi does (blanks, a sign, digits; no number is 0), held to the int range.
int readNumber(const std::string& text);
// The blank-separated fields of a reply (runs of blanks make no empty field).
std::vector<std::string> replyFields(const std::string& reply);

// Once for every completed queued request: kind, libcurl's result (0 success) and its reply text.
void handleReply(int kind, int resultCode, std::string* response);
