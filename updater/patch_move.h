// Putting a downloaded game executable in place. Every step keeps a runnable game executable under
// its name, so an update killed at any point leaves a game that starts, and the next run finishes it.
#pragma once
#include <string>

// The file operations the move is made of (the platform's, or a test's own).
struct FileSteps {
    bool (*exists)(const std::string& path);
    bool (*empty)(const std::string& path);                         // a file of no bytes
    bool (*sameContents)(const std::string& a, const std::string& b);
    bool (*copy)(const std::string& from, const std::string& to);   // a new file, mode 0755, synced
    bool (*link)(const std::string& from, const std::string& to);
    bool (*rename)(const std::string& from, const std::string& to);
    bool (*remove)(const std::string& path);                        // true when it is gone
    bool (*syncFolder)(const std::string& folder);
};
const FileSteps& platformFileSteps();

// File names in the game's folder and the patch folder, with the platform's executable suffix.
std::string gameFileName();      // "Tessarine"
std::string backupFileName();    // "Tessarine.bak"
std::string patchFileName();     // "Tessarine_patch"
// The temporaries beside the game: the incoming executable and the backup being made.
std::string incomingFileName();  // "Tessarine.new"
std::string backupTempFileName(); // "Tessarine.bak.new"

enum class MoveResult {
    NoPatchFolder,   // nothing moved
    NoPatch,         // nothing moved
    EmptyPatch,      // nothing moved: an empty file is no patch; it stays for the game to replace
    AlreadyInPlace,  // the patch equals the game: only the patch removed
    Moved,           // the patch is the game, the old game the only backup, the patch removed
    NotMoved,        // a step failed: the old game and backup stay, the patch waits for the next run
};

// Moves patchFolder + patchFileName() over gameFolder's game executable, keeping the old one as
// the backup. patchFolder ends in "/"; empty when it cannot be found.
MoveResult movePatchIntoPlace(const std::string& gameFolder, const std::string& patchFolder, const FileSteps& steps);

// The whole updater: the move in the working folder, then sleep 1 s, start "./Tessarine", sleep 1 s.
// Always 0.
int runUpdater(void (*sleepMs)(unsigned milliseconds), int (*launch)(const std::string& path),
               const FileSteps& steps);
