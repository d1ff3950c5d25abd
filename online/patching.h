// The patch offered by a login reply and its download.
// Placeholder until the patch download is written: only a failed download is handled.
#pragma once
#include <string>

extern std::string patchUrl;      // the download's request text
extern float patchSize;           // bytes, only shown
extern std::string patchHash;     // the digest the download must have
extern bool patchIsUpdater;       // "update_exe": the updater puts the patch in place
extern std::string patchData;     // the download's reply text
extern bool patchRequestSent;

// Kind 5: the download ended.
void handlePatchReply(int resultCode, std::string* response);
// Per-frame update of the patching page (72).
void UpdatePatching(float dtMs);
