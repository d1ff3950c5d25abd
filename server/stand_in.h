// The stand-in web service: answers the game's sealed requests on 127.0.0.1 from the SQLite
// store, serves the static pages, and can be told to misbehave per script for tests.
#pragma once
#include "server/scripts.h"
#include "server/store.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DeadlineServer;
struct PatchCopy;

struct StandInOptions {
    std::string databasePath;    // the SQLite file; state survives a restart on the same file
    int port = 0;                // 0: an ephemeral port
    std::string portFile;        // the bound port is written here when not empty
    std::string logPath;         // the decoded requests (secrets masked) are appended here
    std::string keyFile;         // the private key's PEM file; empty: the service's own key
    // Patch downloads served at once; one more is answered 503, which the game asks again later.
    int mostDownloads = 16;
};

// What a script's replies do instead of the normal answer.
enum class FaultKind {
    Delay,      // wait value ms, then answer
    Status,     // HTTP status value with an error page as body
    Garbage,    // value random bytes
    Chunks,     // the answer a few bytes (or a 1024th of it) at a time, value ms between pieces
    Redirect,   // a redirect to the same request, answered there
    Empty,      // an empty body
    Reply,      // text instead of the script's answer (set by setStandInReply)
    Stall,      // the answer but its last value bytes, then nothing until the service stops
    Hold,       // no answer until the faults are cleared or the service stops (set by holdStandInAnswers)
};

struct Fault {
    FaultKind kind = FaultKind::Delay;
    int value = 0;
    int remaining = -1;   // requests left to spoil; -1 for all
    std::string text;     // the Reply kind's answer
};

struct StandIn {
    StandIn();
    ~StandIn();
    StandInOptions options;
    Store store;
    ScriptContext context;
    std::unique_ptr<DeadlineServer> server;
    std::thread thread;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::mutex mutex;                        // faults and log
    std::map<std::string, Fault> faults;     // by script name ("login.php")
    std::atomic<unsigned> faultClears{0};    // changed under the mutex; ends the answers held before
    std::vector<std::string> log;            // recent decoded request texts, oldest first
    unsigned garbageSeed = 1;
    std::string rejectionSecret;             // keys what badly padded blocks open to
    int logFile = -1;                        // the request log, open from start to stop; -1 for none
    std::mutex patchMutex;                   // the copies and downloads below
    // Each patch downloaded so far, by id, copied once from the database into a file of its own
    // that every download reads, a piece at a time.
    std::map<long long, std::shared_ptr<PatchCopy>> patchCopies;
    int downloads = 0;                       // patch replies not yet ended
};

// A key's PEM file holds a few KiB: a larger file is no key, refused unread.
inline constexpr std::size_t maxKeyFileBytes = std::size_t(1) << 20;

// Reads the key, opens the log and the store, binds 127.0.0.1 and answers on a thread of its own;
// false with a reason on one line, and nothing touched when the key or the log cannot be used.
bool startStandIn(StandIn& service, const StandInOptions& options, std::string* error);
// Stops answering (requests held by a delay end at once) and closes the store.
void stopStandIn(StandIn& service);

// "login.php=delay:7000", "score=status:500*1": a script (".php" may be left out), a kind
// (delay, status, garbage, chunks, redirect, empty, stall), a value, and how many requests it spoils.
bool setStandInFault(StandIn& service, const std::string& spec);
// Ends every fault, and lets the answers held by holdStandInAnswers go out.
void clearStandInFaults(StandIn& service);
// The script's next `count` requests (-1 all) are answered only once the faults are cleared or the
// service stops: a test decides when the answer comes, however fast or slow the machine.
void holdStandInAnswers(StandIn& service, const std::string& script, int count = -1);
// The script (full name, "checkname.php") answers text instead, for `count` requests (-1 all).
void setStandInReply(StandIn& service, const std::string& script, const std::string& text, int count = -1);

// The answer to a sealed request's data value, without faults: "fail" unless it is base64url of
// whole 128-byte blocks, with well-formed escapes. A block whose padding is not well-formed opens
// to noise, as a well-formed block of noise would, the same noise every time.
std::string answerSealed(StandIn& service, const std::string& data);
// The decoded request texts so far: the non-empty values of "password", "passwordHash" and
// "playhash" as "***", every byte outside printable ASCII (and the backslash) as "\xNN".
std::vector<std::string> standInLog(StandIn& service);
// The private key the service uses unless told otherwise, read from server/service_key.pem in the
// source tree; empty when that file cannot be read.
const std::string& servicePrivateKeyPem();
