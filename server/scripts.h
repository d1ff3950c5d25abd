// The stand-in service's scripts: each takes the decoded fields of one request and gives the
// reply text the game reads.
//
// Skill points and ranks: a player's skill points in a mode are the sum, over the levels of that
// mode, of the best score on the level divided by 100 (a negative best counts 0); mode 0, the
// overall ranking, sums every mode. Players with a score in the mode are ranked by skill points,
// most first, an earlier account first among equals. A score grants "epic" (4) at performance 7
// and, at level 10, "learnedtoplay" (8), "zorvicpro" (9) or "zorvicexpert" (11) in Casual, Normal
// or Expert. An upload ("client_cheeve.php") takes only the eight keys the game awards itself.
#pragma once
#include "server/store.h"

#include <string>
#include <utility>
#include <vector>

using Fields = std::vector<std::pair<std::string, std::string>>;

struct ScriptContext {
    Store* store = nullptr;
    std::string privateKeyPem;   // seals the stored passwords
    std::string securePrefix;    // which_server's answer: "http://127.0.0.1:<port>/secure.php?data="
};

inline constexpr int rankingPageRows = 25;

// The reply of script ("login.php", ...) to its fields; "fail" for a script it does not know.
std::string runScript(ScriptContext& context, const std::string& script, const Fields& fields);

// The first value of a key, "" when the request has none.
std::string fieldValue(const Fields& fields, const std::string& key);
// The achievement keys as the service knows them, number 1 first.
const std::vector<std::string>& serviceAchievementKeys();
// The stored form of a password: base64, in one line, of its private-key (type 1) RSA blocks.
std::string storedPasswordOf(const std::string& password, const std::string& privateKeyPem);
// Every byte outside printable ASCII, and the backslash, as "\xNN": a text from outside stays on
// its one line and sends a terminal no escapes.
std::string escaped(const std::string& text);
// Why offerPatch refuses version, in one line naming it (escaped); "" when it is a version a game
// can hold.
std::string patchVersionRefusal(const std::string& version);
// Stores a patch ("update" or "update_exe") that installs version ("0.1.1" or "Version 0.1.1"),
// signed with patchKeyPem (an Ed25519 private key); its id, or -1 with the reason in *error when
// the version is none (patchVersionRefusal) or not newer than the patch on offer, the patch is empty or
// larger than a game downloads, or the key cannot sign. A login is offered the newest signed patch
// (highest version, the latest stored among equals) when its game is older:
// "KIND patch.php?id=N SIZE SHA256 VERSION SIGNATURE".
// The patch a "patch.php" request names: its id, 0 when it names none.
long long requestedPatch(const Fields& fields);
long long offerPatch(ScriptContext& context, const std::string& kind, const std::string& version,
                     const std::string& bytes, const std::string& patchKeyPem, std::string* error = nullptr);
