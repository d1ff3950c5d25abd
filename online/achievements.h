// The 27 achievements' keys and numbers, and the upload of an achievement earned in play.
#pragma once
#include <string>

inline constexpr int achievementCount = 27;

// The number of a key (exact match), 0 for any other text.
int cheeveKeyNumber(const std::string& key);
// The key of a number 1..27, "" for any other number.
std::string cheeveKeyName(int number);

extern std::string lastAwardedKey;     // key of the upload sent last; "" once the service confirmed it
extern bool achievementReplyReceived;  // no upload is waiting for its reply

// Reports an achievement earned in play: nothing offline, in level-select play, for an earned key
// or for a text that is no key. Each upload keeps its own reply text and is sent again, with its
// own key, after a transport failure.
void awardAchievement(const std::string& key);
// Once a frame of play: grows requestWaitTimes[1] while an upload's transfer is still running.
void updateAchievementUpload(float dtMs);
// Kind 6, the reply of the upload whose reply text is *response: true when it was an answer
// ("fail" included), which ends that upload's wait.
bool takeAchievementReply(std::string* response);
// Kind 6 failed or was no answer: that upload is sent again with its own key.
void sendAchievementAgain(std::string* response);
// Appends a number to the announcements; the announcement restarts when the list was empty.
void announceAchievement(int number);
// Uploads waiting for their reply.
int pendingAchievementUploads();
// Forgets every upload; only while none of their transfers runs (they write into the records).
void resetAchievementUploads();
