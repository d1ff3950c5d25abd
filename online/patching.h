// The patch offered by a login reply: its signed statement, the download with its speed readings,
// and the hand-over to the patch itself ("update") or to ts_update ("update_exe").
#pragma once
#include <cstdint>
#include <string>
#include <vector>

extern std::string patchUrl;      // the download's request text
extern float patchSize;           // bytes, only shown
extern std::uint64_t patchSignedSize;   // the bytes the download must have
extern std::string patchHash;     // the lower-case hex SHA-256 the download must have
extern bool patchIsUpdater;       // "update_exe": the updater puts the patch in place
extern std::string patchData;     // the download's reply text
extern bool patchRequestSent;

extern float downloadSpeed;                  // KB/s over the last second
extern std::vector<float> downloadSpeeds;    // earlier readings, newest first, at most 60
extern float downloadedBytes;                // patchData's size, refreshed once a second
extern float speedSampleTimer, bytesRefreshTimer, lastSampleSize;

// Starts a program (the platform's launcher; tests put a recorder here). Its id, or -1.
extern int (*patchLauncher)(const std::string& path);

// A login reply's offer, "KIND DOWNLOAD SIZE SHA256 VERSION SIGNATURE". Taken (the patch globals
// set) only when the patch key signed exactly this kind, version, size and digest, the version is
// newer than the game's own and the size at most maxPatchBytes; false, with nothing changed, for
// anything else.
bool takePatchOffer(const std::vector<std::string>& fields);

// Kind 5, a download that arrived: true when it was the signed patch, written and handed over.
bool takePatchDownload(std::string* response);
// Kind 5 failed or was no patch: the page downloads it again (once the back-off lets it).
void downloadPatchAgain(std::string* response);
// Per-frame update of the patching page (72): speed readings and the download's (re)start.
void UpdatePatching(float dtMs);

// What the patching page shows, each "%.2f": MB downloaded, MB in all, KB/s.
struct PatchingTexts {
    std::string downloaded, total, speed;
};
PatchingTexts patchingTexts();
