#include "online/requests.h"

#include "engine/log.h"
#include "engine/profiler.h"
#include "online/patching.h"
#include "online/replies.h"
#include "online/sealing.h"
#include "platform/system.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

std::vector<CurlRequest> requests;
CURLM* curlMultiHandle = nullptr;
CURL* blockingEasyHandle = nullptr;
char curlErrorBuffer[CURL_ERROR_SIZE];
std::string urlsLogPath = "urls.txt";
int offlineMode = 0;
void (*curlQueueHook)(const std::string&, std::string*, int, long) = nullptr;
StallRule transferStallRule = stalledTransfer;

namespace {

// A kind's back-off: how long its latest wait was, and when the wait ends (0: not backing off).
struct Backoff {
    double delayMs = 0.0;
    double untilMs = 0.0;
};
std::array<Backoff, 16> backoffs;

Backoff* backoffOf(int kind)
{
    return kind >= 0 && static_cast<std::size_t>(kind) < backoffs.size() ? &backoffs[kind] : nullptr;
}

bool backingOff(int kind)
{
    const Backoff* b = backoffOf(kind);
    return b && b->delayMs > 0.0 && requestClockMs() < b->untilMs;
}

double counterMs()
{
    return platformMsSince(0);
}

// What a reply of each kind may hold while it arrives.
ReplySink sinkFor(int kind, std::string* target)
{
    switch (kind) {
    case rk::Patch: return {target, static_cast<std::size_t>(std::min<std::uint64_t>(patchSignedSize, maxPatchBytes))};
    case rk::RankingPage: return {target, maxRankingPageBytes};
    // One byte past what the menu keeps tells the news that it was cut.
    case rk::News: return {target, maxNewsBytes + 1, true};
    default: return {target, maxReplyBytes};
    }
}

void setUpTransfer(CURL* handle, const std::string& url, ReplySink* sink, long timeoutSeconds)
{
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlErrorBuffer);
    curl_easy_setopt(handle, CURLOPT_URL, sealUrl(url).c_str());
    curl_easy_setopt(handle, CURLOPT_HEADER, 0L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, curlWriteToString);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, sink);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 5L);
}

// libcurl's progress report; a non-zero answer ends the transfer.
int judgePace(void* pace, curl_off_t, curl_off_t arrived, curl_off_t, curl_off_t)
{
    auto* p = static_cast<DownloadPace*>(pace);
    return p->keepsPace(transferClockMs() - p->startedMs, static_cast<std::uint64_t>(arrived)) ? 0 : 1;
}

// The patch download's stall rule (see StallRule); null for every other kind, which its own
// time-out alone ends.
std::unique_ptr<DownloadPace> watchForStalls(CURL* handle, int kind, const ReplySink& sink, long timeoutSeconds)
{
    if (kind != rk::Patch)
        return nullptr;
    auto pace = std::make_unique<DownloadPace>(sink.limit, 1000.0 * static_cast<double>(timeoutSeconds),
                                               transferStallRule);
    pace->startedMs = transferClockMs();
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, judgePace);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, pace.get());
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    return pace;
}

void pump()
{
    int running = 0;
    while (curl_multi_perform(curlMultiHandle, &running) == CURLM_CALL_MULTI_PERFORM) {
    }
}

void logStatus(const std::string& statusText)
{
    std::FILE* file = std::fopen(urlsLogPath.c_str(), "a");
    if (!file)
        return;
    std::fputs(printableText(statusText).c_str(), file);
    std::fputs("\r\n", file);
    std::fclose(file);
}

CurlRequest* findRunning(CURL* handle)
{
    for (CurlRequest& r : requests)
        if (!r.done && r.easyHandle == handle)
            return &r;
    return nullptr;
}

// The record's transfer on the multi handle; false (the record unchanged) when libcurl gives none.
bool startTransfer(CurlRequest& record)
{
    CURL* handle = curl_easy_init();
    if (!handle)
        return false;
    auto sink = std::make_unique<ReplySink>(sinkFor(record.kind, record.response));
    setUpTransfer(handle, record.url, sink.get(), record.timeoutSeconds);
    std::unique_ptr<DownloadPace> pace = watchForStalls(handle, record.kind, *sink, record.timeoutSeconds);
    if (curl_multi_add_handle(curlMultiHandle, handle) != CURLM_OK) {
        curl_easy_cleanup(handle);
        return false;
    }
    record.easyHandle = handle;
    record.sink = std::move(sink);
    record.pace = std::move(pace);
    record.held = false;
    return true;
}

// Held requests whose kind no longer backs off go out; one that gets no transfer is dropped, as a
// request that could not be queued would have been.
void startHeldRequests()
{
    auto dropped = [](CurlRequest& r) { return r.held && !backingOff(r.kind) && !startTransfer(r); };
    requests.erase(std::remove_if(requests.begin(), requests.end(), dropped), requests.end());
}

// Oldest finished records go first; a running transfer keeps its record, whatever the count.
void cutBack()
{
    if (requests.size() <= maxRequestRecords)
        return;
    std::size_t excess = requests.size() - maxRequestRecords;
    std::vector<CurlRequest> kept;
    kept.reserve(requests.size());
    for (CurlRequest& r : requests) {
        if (excess > 0 && r.done) {
            --excess;
            continue;
        }
        kept.push_back(std::move(r));
    }
    requests.swap(kept);
}

}

std::size_t curlWriteToString(char* data, std::size_t size, std::size_t count, void* sink)
{
    auto* s = static_cast<ReplySink*>(sink);
    if (!s || !s->target)
        return 0;
    if (size != 0 && count > SIZE_MAX / size)
        return 0;
    const std::size_t bytes = size * count;
    const std::size_t room = s->limit - std::min(s->limit, s->target->size());
    if (bytes > room) {
        if (!s->keepHead)
            return 0;
        s->target->append(data, room);
        return bytes;
    }
    s->target->append(data, bytes);
    return bytes;
}

CURLcode curlPerform(std::string url, std::string* response, long timeoutSeconds)
{
    CURL* handle = curl_easy_init();
    if (!handle)
        return CURLE_FAILED_INIT;
    ReplySink sink{response, maxReplyBytes};
    setUpTransfer(handle, url, &sink, timeoutSeconds);
    blockingEasyHandle = handle;
    CURLcode code = curl_easy_perform(handle);
    blockingEasyHandle = nullptr;
    curl_easy_cleanup(handle);
    return code;
}

bool curlQueue(std::string url, std::string* response, int kind, long timeoutSeconds)
{
    if (curlQueueHook) {
        curlQueueHook(url, response, kind, timeoutSeconds);
        return true;
    }
    if (!curlMultiHandle)
        return false;
    CurlRequest record;
    record.url = std::move(url);
    record.kind = kind;
    record.response = response;
    record.timeoutSeconds = timeoutSeconds;
    record.held = backingOff(kind);
    if (!record.held && !startTransfer(record))
        return false;
    requests.push_back(std::move(record));
    if (!requests.back().held)
        pump();
    return true;
}

bool nextCompletedTransfer(CompletedTransfer& out)
{
    if (!curlMultiHandle)
        return false;
    int left = 1;
    while (left > 0) {
        CURLMsg* message = curl_multi_info_read(curlMultiHandle, &left);
        if (!message)
            break;
        if (message->msg != CURLMSG_DONE)
            continue;
        // The message does not outlive the handle's removal.
        CURL* handle = message->easy_handle;
        CURLcode code = message->data.result;
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        CurlRequest* record = findRunning(handle);
        curl_multi_remove_handle(curlMultiHandle, handle);
        curl_easy_cleanup(handle);
        if (!record)
            continue;

        // A download cut for its pace has stalled, as one cut for silence has.
        if (record->pace && record->pace->stalled())
            code = CURLE_OPERATION_TIMEDOUT;
        record->resultCode = code;
        record->statusText = curl_easy_strerror(code);
        record->done = true;
        record->easyHandle = nullptr;
        record->sink.reset();
        record->pace.reset();
        logStatus(record->statusText);
        // The reply's handler may queue requests and so move the records: hand out copies.
        out.kind = record->kind;
        out.resultCode = record->resultCode;
        out.response = record->response;
        out.httpStatus = status;
        return true;
    }
    return false;
}

bool requestPending(int kind)
{
    return std::any_of(requests.begin(), requests.end(),
                       [kind](const CurlRequest& r) { return r.kind == kind && !r.done; });
}

void pumpTransfers()
{
    if (!curlMultiHandle)
        return;
    startHeldRequests();
    pump();
}

void cutBackRequests()
{
    cutBack();
}

void endRunningTransfers()
{
    for (CurlRequest& r : requests) {
        if (r.done)
            continue;
        if (r.easyHandle) {
            if (curlMultiHandle)
                curl_multi_remove_handle(curlMultiHandle, r.easyHandle);
            curl_easy_cleanup(r.easyHandle);
        }
        r.easyHandle = nullptr;
        r.sink.reset();
        r.pace.reset();
        r.held = false;
        r.done = true;
    }
}

double (*requestClockMs)() = counterMs;
double (*transferClockMs)() = counterMs;

DownloadPace::DownloadPace(std::uint64_t expected, double timeoutMs, const StallRule& rule)
    : expected_(expected), timeoutMs_(timeoutMs), silenceMs_(1000.0 * static_cast<double>(rule.silenceSeconds)),
      paceAfterMs_(1000.0 * static_cast<double>(rule.paceAfterSeconds)),
      windowMs_(1000.0 * static_cast<double>(rule.paceWindowSeconds)),
      samples_(static_cast<std::size_t>(std::max(0L, rule.paceWindowSeconds)) + 3)
{
}

// Samples are a second apart at least, so the ring holds the window and the one sample before it.
void DownloadPace::addSample(double ms)
{
    if (count_ == samples_.size()) {
        first_ = (first_ + 1) % samples_.size();
        --count_;
    }
    samples_[(first_ + count_++) % samples_.size()] = {ms, bytes_};
}

bool DownloadPace::keepsPace(double ms, std::uint64_t bytes)
{
    if (stalled_)
        return false;
    if (bytes > bytes_) {
        if (bytes_ == 0) {
            firstByteMs_ = ms;
            addSample(ms);   // no byte yet at the first byte's moment
        }
        bytes_ = bytes;
        lastByteMs_ = ms;
    }
    if (count_ > 0 && ms - sample(count_ - 1).ms >= 1000.0)
        addSample(ms);
    while (count_ > 1 && sample(1).ms <= ms - windowMs_) {
        first_ = (first_ + 1) % samples_.size();
        --count_;
    }
    // Without a time-out any pace will do; before its first byte only silence counts.
    const bool judgesPace = bytes_ < expected_ && timeoutMs_ > 0.0 && firstByteMs_ >= 0.0 &&
                            ms - firstByteMs_ >= paceAfterMs_;
    if (ms - lastByteMs_ >= silenceMs_) {
        stalled_ = true;
    } else if (judgesPace) {
        // The window is never shorter than paceAfterMs_, which is longer than the silence forgiven.
        const Sample& from = sample(0);
        const double bytesPerMs = static_cast<double>(bytes_ - from.bytes) / (ms - from.ms - silenceMs_);
        const double reach = static_cast<double>(bytes_) + bytesPerMs * std::max(0.0, timeoutMs_ - ms);
        stalled_ = reach < static_cast<double>(expected_);
    }
    return !stalled_;
}

void backOffRequests(int kind)
{
    Backoff* b = backoffOf(kind);
    if (!b)
        return;
    const double now = requestClockMs();
    if (b->delayMs > 0.0 && now < b->untilMs)
        return;
    b->delayMs = b->delayMs > 0.0 ? std::min(2.0 * b->delayMs, longestRetryDelayMs) : firstRetryDelayMs;
    b->untilMs = now + b->delayMs;
}

void endBackOff(int kind)
{
    if (Backoff* b = backoffOf(kind))
        *b = Backoff();
}
