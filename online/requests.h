// HTTP requests to the game's web service over libcurl: the blocking form, the queued form on the
// multi handle, the once-a-frame pump that completes queued transfers and dispatches them, and the
// back-off that spaces out the requests sent again after transport failures.
#pragma once
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include "crypto/patch_signature.h"   // maxPatchBytes: no offer is taken for more; a download stops at its signed size
#include "engine/config.h"   // username and playerPassword, loaded with the settings

#include <string>
#include <vector>

// Where one transfer appends its reply, and the most it may hold: past the limit the transfer ends
// as a write error, or, when `keepHead` is set, runs on with the rest dropped.
struct ReplySink {
    std::string* target = nullptr;
    std::size_t limit = 0;
    bool keepHead = false;
};

inline constexpr std::size_t maxReplyBytes = std::size_t(4) << 20;
inline constexpr std::size_t maxRankingPageBytes = std::size_t(64) << 10;   // kind 9: 25 rows and room to spare
inline constexpr std::size_t maxRequestRecords = 100;
// Redirects one transfer follows, over http and https only.
inline constexpr long maxRedirects = 3;
// How the patch download, the one request that may wait an hour, tells that it has stalled; it
// then fails as a time-out and is asked for again like any other failure. Every other request is
// judged by its own time-out alone, however late its reply begins.
//  - silence: no byte for silenceSeconds, the wait for its first byte included;
//  - pace: from paceAfterSeconds after its first byte on, the bytes of its last paceWindowSeconds
//    (all since its first byte while it is younger), spread over that time less silenceSeconds,
//    could not bring the rest of its signed size before its time-out.
struct StallRule {
    long silenceSeconds;
    long paceAfterSeconds;    // more than silenceSeconds, so the time a pace is spread over is never nil
    long paceWindowSeconds;   // at least paceAfterSeconds
};
// A cut download starts again from its first byte, so the rule must never cut one that would have
// finished. The silence is what common download tools sit through: a Wi-Fi outage, a service slow
// to begin a large reply. Forgiving every window a silence's worth of time means that a pause the
// silence lets through, once or again and again at any period, never makes a window's pace fall
// below the line's own average, so a line whose average brings its patch within the hour, with
// room for the window's edges, is kept. What that leaves a service that trickles:
//  - from its first byte, 70 B/s or 1 B every 29 s toward a 1 MiB patch is cut 40 s after that
//    byte, 500 B every 5 s about 50 s after it;
//  - a fast start and then a trickle is cut once the fast part has left the window, about 90 s
//    after it ends;
//  - a service that keeps up a pace just good enough may still hold a download until its time-out.
inline constexpr StallRule stalledTransfer{30, 40, 90};
static_assert(stalledTransfer.paceAfterSeconds > stalledTransfer.silenceSeconds &&
              stalledTransfer.paceWindowSeconds >= stalledTransfer.paceAfterSeconds);
// The rule every patch download is set up with; tests shorten it.
extern StallRule transferStallRule;

// The rule for one download of `expected` bytes with a time-out of timeoutMs (0: none, and no pace
// to keep).
class DownloadPace {
public:
    DownloadPace(std::uint64_t expected, double timeoutMs, const StallRule& rule);
    // The download, ms after it started, has brought `bytes`: false once it has stalled, and from
    // then on.
    bool keepsPace(double ms, std::uint64_t bytes);
    bool stalled() const { return stalled_; }
    double startedMs = 0.0;   // on transferClockMs, for the transfer's own clock

private:
    struct Sample {
        double ms;
        std::uint64_t bytes;
    };
    std::uint64_t expected_;
    double timeoutMs_, silenceMs_, paceAfterMs_, windowMs_;
    std::uint64_t bytes_ = 0;
    double lastByteMs_ = 0.0;    // when bytes_ last grew; the start until the first byte
    double firstByteMs_ = -1.0;  // -1: none yet
    // About one a second since the first byte, oldest first from first_: a ring that holds the
    // window, whose oldest sample opens it.
    std::vector<Sample> samples_;
    std::size_t first_ = 0, count_ = 0;
    const Sample& sample(std::size_t i) const { return samples_[(first_ + i) % samples_.size()]; }
    void addSample(double ms);
    bool stalled_ = false;
};

// One queued request. Records stay in `requests` after completion (done) until the list is cut back.
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
    ServerChoice = 10,   // "which_server.php", queued so that no frame waits for it
    NameCheck = 11,      // the new-profile page's "checkname.php"
    Registration = 12,   // the new-profile page's "reg.php"
    Logout = 13,         // "logout.php", the quit waits for it at most its time-out
};
}

struct CurlRequest {
    std::string url;                   // the plain request text, before sealing
    int kind = 0;                      // an rk kind, what handleReply does with the reply
    CURL* easyHandle = nullptr;        // the transfer; null once done (libcurl reuses the address)
    std::string* response = nullptr;   // the sender's reply text, alive for the whole run
    std::string statusText;            // libcurl's text for resultCode, set on completion
    int resultCode = 0;                // 0 success, else a transport failure
    float timer = 0.0f;
    bool done = false;
    std::unique_ptr<ReplySink> sink;   // libcurl writes through it; fixed while the list grows
    std::unique_ptr<DownloadPace> pace;   // the patch download's, which libcurl reports to
    long timeoutSeconds = 0;
    bool held = false;                 // waits out its kind's back-off; no transfer yet
};

extern std::vector<CurlRequest> requests;
// The libcurl multi handle, made by start-up; asynchronous requests are sent only while it exists.
extern CURLM* curlMultiHandle;
// The blocking request's handle while curlPerform runs, else null.
extern CURL* blockingEasyHandle;
extern char curlErrorBuffer[CURL_ERROR_SIZE];
// The status log: one line per completed queued request ("urls.txt" in the working folder).
extern std::string urlsLogPath;

extern int offlineMode;            // 99 while playing offline, 0 online

// libcurl's write callback: appends to sink->target; 0 (a write error) without a target or past the limit.
std::size_t curlWriteToString(char* data, std::size_t size, std::size_t count, void* sink);

// Sends the sealed form of url and waits; appends the reply to *response. CURLE_FAILED_INIT when
// no transfer could be made.
CURLcode curlPerform(std::string url, std::string* response, long timeoutSeconds);
// Starts the sealed form of url on the multi handle and records it; nothing without a multi handle.
// While the kind backs off, the record is held and the pump starts it once the back-off ends.
// False when nothing was recorded.
bool curlQueue(std::string url, std::string* response, int kind, long timeoutSeconds);
// A test's recorder: while set, curlQueue hands every request to it instead of sending.
extern void (*curlQueueHook)(const std::string& url, std::string* response, int kind, long timeoutSeconds);
// A request of this kind is held or its transfer runs.
bool requestPending(int kind);
// Starts the held requests whose back-off has ended, then runs the multi handle until libcurl
// stops asking to be called again.
void pumpTransfers();
// One finished transfer's record completed (result, status text, its line in urls.txt, its handle
// released); false when none is left this frame.
struct CompletedTransfer {
    int kind = 0;
    int resultCode = 0;
    std::string* response = nullptr;
    long httpStatus = 0;   // the last response's status, 0 when none came
};
bool nextCompletedTransfer(CompletedTransfer& out);
// Drops the oldest finished records beyond the list's limit; running ones always stay.
void cutBackRequests();
// Shut-down: takes every running transfer off the multi handle and frees it, so the multi
// handle's clean-up leaves nothing behind. Their records stay, marked done, held ones too.
void endRunningTransfers();

// Failed requests are sent again, without limit; the back-off keeps a service that fails every
// request from being asked once a frame. Each kind that sends again has its own. Only the reply
// dispatcher's rule (handleReply) starts and ends a back-off.
inline constexpr double firstRetryDelayMs = 1000.0;
inline constexpr double longestRetryDelayMs = 30000.0;
// A request of this kind failed and will be sent again: requests of the kind queued from now on
// are held for 1 s, twice as long after each further failure, at most 30 s. Failures that come in
// while the kind is held do not lengthen it again.
void backOffRequests(int kind);
// A request of this kind had a usable reply: the next failure waits 1 s again.
void endBackOff(int kind);
// Milliseconds on a monotonic clock, what the back-off measures with.
extern double (*requestClockMs)();
// The same for the patch download's stall rule; tests move it with the bytes they send.
extern double (*transferClockMs)();
