#include "server/stand_in.h"

#include "crypto/codec.h"
#include "crypto/digest.h"
#include "crypto/seal.h"
#include "platform/handover.h"
#include "server/deadline_server.h"

#include <fcntl.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace {

constexpr std::size_t sealedBlock = 128;
// A connection holds a worker while its request arrives and its reply is taken, idle ones none: a
// short deadline for a request to be whole keeps half-sent or trickling connections from holding
// their worker long, and workers enough for every connection a loopback service meets at once keep
// slow readers of a patch from holding up everyone else.
constexpr int mostWorkers = 512;
constexpr int requestWaitSeconds = 2;
// A reply must be taken whole within the longest a game waits for one (its patch download), and a
// reader that takes nothing for a minute is gone.
constexpr int replyWaitSeconds = 3600;
constexpr int takeWaitSeconds = 60;
constexpr std::size_t patchPiece = 64 * 1024;
// Replies other than patches are a few KiB; a patch's reader is fed as it takes.
constexpr int sendBufferBytes = 64 * 1024;

const std::map<std::string, std::string> staticPages = {
    {"/twitter.html", "<html><head><title>Tessarine</title></head><body><h1>Tessarine news</h1>"
                      "<p>Follow the game's news here.</p></body></html>"},
    {"/facebook.html", "<html><head><title>Tessarine</title></head><body><h1>Tessarine community</h1>"
                       "<p>Meet other players here.</p></body></html>"},
    {"/contact.html", "<html><head><title>Tessarine</title></head><body><h1>Contact</h1>"
                      "<p>Questions about the game go to the maintainers.</p></body></html>"},
    {"/retrieve.html", "<html><head><title>Tessarine</title></head><body><h1>Forgotten password</h1>"
                       "<p>Ask the maintainers to reset your profile's password.</p></body></html>"},
};

// Sleeps in short steps until `over` holds, so that stopping the service does not wait for a long
// delay or a held answer.
template <typename Over>
void waitUntil(StandIn& s, Over over)
{
    while (!s.stopping && !over())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void pause(StandIn& s, int milliseconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    waitUntil(s, [end] { return std::chrono::steady_clock::now() >= end; });
}

// What a block whose padding is not well-formed opens to: what a random well-formed block would,
// the noise after the first zero byte that follows the padding's eight non-zero ones, drawn from an
// HMAC of the block. Answers then cannot tell which blocks are well-formed, and a block always
// opens the same way, so asking again tells nothing either.
std::string rejectionText(const std::string& block, const std::string& secret)
{
    constexpr std::size_t tail = sealedBlock - 10;   // the bytes after "00 02" and eight of padding
    for (unsigned window = 0; window < 64; ++window) {
        std::string bytes;
        for (unsigned piece = 0; bytes.size() < tail; ++piece) {
            std::string input = block + static_cast<char>(window) + static_cast<char>(piece);
            unsigned char digest[EVP_MAX_MD_SIZE];
            unsigned int length = 0;
            HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
                 reinterpret_cast<const unsigned char*>(input.data()), input.size(), digest, &length);
            bytes.append(reinterpret_cast<const char*>(digest), length);
        }
        std::size_t zero = bytes.find('\0');
        if (zero < tail)
            return bytes.substr(zero + 1, tail - zero - 1);
    }
    return std::string();
}

bool openRequest(StandIn& s, const std::string& data, std::string* text)
{
    std::string standard = data;
    for (char& c : standard) {
        if (c == '-')
            c = '+';
        else if (c == '_')
            c = '/';
    }
    std::string sealed = base64Decode(standard);
    if (sealed.empty() || sealed.size() % sealedBlock != 0)
        return false;
    text->clear();
    for (std::size_t at = 0; at < sealed.size(); at += sealedBlock) {
        std::string block = sealed.substr(at, sealedBlock);
        std::string opened = rsaPrivateDecrypt(block, s.context.privateKeyPem);
        // Made for every block, so that the time taken does not tell either.
        std::string noise = rejectionText(block, s.rejectionSecret);
        if (opened.empty())
            opened = noise;
        if (opened.empty())
            return false;
        *text += opened;
    }
    return true;
}

// The pieces between the "&"s after the "?" at mark, as they stand, empty ones too.
std::vector<std::string> queryPieces(const std::string& text, std::size_t mark)
{
    std::vector<std::string> pieces;
    std::size_t at = mark + 1;
    while (at <= text.size()) {
        std::size_t end = text.find('&', at);
        if (end == std::string::npos)
            end = text.size();
        pieces.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return pieces;
}

// "script?key=value&key=value": the values' escapes undone, the keys' order kept.
bool parseRequest(const std::string& text, std::string* script, Fields* fields)
{
    std::size_t mark = text.find('?');
    *script = text.substr(0, mark);
    fields->clear();
    if (mark == std::string::npos)
        return true;
    for (const std::string& piece : queryPieces(text, mark)) {
        if (piece.empty())
            continue;
        std::size_t equals = piece.find('=');
        std::string key, value;
        if (!urlDecode(piece.substr(0, equals), &key) ||
            !urlDecode(equals == std::string::npos ? std::string() : piece.substr(equals + 1), &value))
            return false;
        fields->emplace_back(key, value);
    }
    return true;
}

// Keys are compared as the scripts read them, escapes undone; one that cannot be read is masked.
bool secretKey(const std::string& key)
{
    std::string name;
    return !urlDecode(key, &name) || name == "password" || name == "passwordHash" || name == "playhash";
}

// The request as the log keeps it: the values of secrets as "***", control bytes escaped.
std::string logLine(const std::string& text)
{
    std::size_t mark = text.find('?');
    if (mark == std::string::npos)
        return escaped(text);
    std::string out = text.substr(0, mark + 1);
    bool first = true;
    for (const std::string& piece : queryPieces(text, mark)) {
        if (!first)
            out += '&';
        first = false;
        std::size_t equals = piece.find('=');
        std::string key = piece.substr(0, equals);
        // An empty value hides nothing, and shows that it was sent empty.
        out += equals != std::string::npos && equals + 1 < piece.size() && secretKey(key) ? key + "=***" : piece;
    }
    return escaped(out);
}

void record(StandIn& s, const std::string& line)
{
    std::lock_guard<std::mutex> lock(s.mutex);
    // The file keeps everything; memory only the recent past.
    if (s.log.size() >= 1000)
        s.log.erase(s.log.begin(), s.log.begin() + 500);
    s.log.push_back(line);
    if (s.logFile >= 0) {
        std::string entry = line + '\n';
        platformWriteAll(s.logFile, entry.data(), entry.size());
    }
}

// Also gives the count of clears so far: a held answer goes out once it changes.
bool takeFault(StandIn& s, const std::string& script, Fault* fault, unsigned* clears)
{
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.faults.find(script);
    if (found == s.faults.end())
        return false;
    *fault = found->second;
    *clears = s.faultClears;
    if (found->second.remaining > 0 && --found->second.remaining == 0)
        s.faults.erase(found);
    return true;
}

std::string dataValue(const std::string& target)
{
    std::size_t mark = target.find('?');
    while (mark != std::string::npos) {
        if (target.compare(mark + 1, 5, "data=") == 0) {
            std::size_t start = mark + 6;
            std::size_t end = target.find('&', start);
            return target.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        mark = target.find('&', mark + 1);
    }
    return std::string();
}

void answerWithFault(StandIn& s, const Fault& fault, unsigned clears, const httplib::Request& request,
                     httplib::Response& response, const std::string& reply)
{
    switch (fault.kind) {
    case FaultKind::Delay:
        pause(s, fault.value);
        response.set_content(reply, "text/plain");
        break;
    case FaultKind::Hold:
        waitUntil(s, [&s, clears] { return s.faultClears != clears; });
        response.set_content(reply, "text/plain");
        break;
    case FaultKind::Status:
        response.status = fault.value;
        response.set_content("<html><body><h1>" + std::to_string(fault.value) +
                                 "</h1><p>The service failed.</p></body></html>",
                             "text/html");
        break;
    case FaultKind::Garbage: {
        std::mt19937 random;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            random.seed(s.garbageSeed++);
        }
        std::string bytes(static_cast<std::size_t>(fault.value > 0 ? fault.value : 256), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xff);
        response.set_content(bytes, "application/octet-stream");
        break;
    }
    case FaultKind::Chunks: {
        int gap = fault.value;
        StandIn* service = &s;
        response.set_chunked_content_provider(
            "text/plain", [service, reply, gap](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= reply.size()) {
                    sink.done();
                    return true;
                }
                if (offset > 0)
                    pause(*service, gap);
                // Three bytes a piece; a large answer (a patch) in 1024 pieces, so it still ends.
                std::size_t piece = std::min(std::max<std::size_t>(3, reply.size() / 1024), reply.size() - offset);
                return sink.write(reply.data() + offset, piece);
            });
        break;
    }
    case FaultKind::Stall: {
        StandIn* service = &s;
        const std::size_t sent = reply.size() - std::min<std::size_t>(reply.size(), fault.value);
        // The whole length is announced, so the reader waits for bytes that never come.
        auto provide = [service, reply, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset < sent)
                return sink.write(reply.data() + offset, sent - offset);
            pause(*service, INT_MAX);
            return false;
        };
        response.set_content_provider(reply.size(), "text/plain", provide);
        break;
    }
    case FaultKind::Redirect:
        response.set_redirect(request.target + "&hop=1");
        break;
    case FaultKind::Empty:
        response.set_content("", "text/plain");
        break;
    case FaultKind::Reply:
        response.set_content(fault.text, "text/plain");
        break;
    }
}

}

struct PatchCopy {
    int file = -1;
    std::int64_t size = 0;
    ~PatchCopy()
    {
        if (file >= 0)
            ::close(file);
    }
};

namespace {

// A file beside the database (in the temporary folder for one in memory), gone once closed.
int unnamedFile(const std::string& databasePath)
{
    std::string name = databasePath.empty() || databasePath == ":memory:" ? "/tmp/ts_server" : databasePath;
    name += ".patch-XXXXXX";
    int file = ::mkostemp(&name[0], O_CLOEXEC);
    if (file >= 0)
        ::unlink(name.c_str());
    return file;
}

// The patch's copy, made on its first download; null when the patch is not stored or cannot be copied.
std::shared_ptr<PatchCopy> patchCopy(StandIn& s, long long id)
{
    std::lock_guard<std::mutex> lock(s.patchMutex);
    auto found = s.patchCopies.find(id);
    if (found != s.patchCopies.end())
        return found->second;
    auto copy = std::make_shared<PatchCopy>();
    copy->file = unnamedFile(s.options.databasePath);
    copy->size = copy->file < 0 ? -1 : copyBlob(s.store, "patches", "data", id, copy->file);
    if (copy->size < 0)
        return nullptr;
    s.patchCopies[id] = copy;
    return copy;
}

// One of the downloads served at once, for as long as its reply lives; null when as many run already.
std::shared_ptr<void> downloadSlot(StandIn& s)
{
    std::lock_guard<std::mutex> lock(s.patchMutex);
    if (s.downloads >= s.options.mostDownloads)
        return nullptr;
    ++s.downloads;
    StandIn* service = &s;
    return std::shared_ptr<void>(service, [](StandIn* service) {
        std::lock_guard<std::mutex> lock(service->patchMutex);
        --service->downloads;
    });
}

// A patch is sent from its copy, a piece at a time: each download held a whole copy in memory.
// Readers past the downloads served at once are told to come back (503): each would hold a worker
// for as long as it reads. False when there is no such patch.
bool sendPatch(StandIn& s, long long id, httplib::Response& response)
{
    std::shared_ptr<PatchCopy> copy = id > 0 ? patchCopy(s, id) : nullptr;
    if (!copy)
        return false;
    std::shared_ptr<void> slot = downloadSlot(s);
    if (!slot) {
        response.status = 503;
        response.set_content("busy", "text/plain");
        return true;
    }
    response.set_content_provider(
        static_cast<std::size_t>(copy->size), "text/plain",
        [copy, slot](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::vector<char> piece(std::min(length, patchPiece));
            ssize_t n = ::pread(copy->file, piece.data(), piece.size(), static_cast<off_t>(offset));
            return n > 0 && sink.write(piece.data(), static_cast<std::size_t>(n));
        });
    return true;
}

// Opens, logs and parses a sealed data value; false when it is no request. The script is named
// once the request opens, even when its fields do not parse.
bool readRequest(StandIn& s, const std::string& data, std::string* script, Fields* fields)
{
    std::string text;
    if (!openRequest(s, data, &text))
        return false;
    record(s, logLine(text));
    return parseRequest(text, script, fields);
}

void answerHttp(StandIn& s, const httplib::Request& request, httplib::Response& response)
{
    std::string script;
    Fields fields;
    bool parsed = readRequest(s, dataValue(request.target), &script, &fields);
    Fault fault;
    unsigned clears = 0;
    // The redirect's second hop is answered plainly.
    bool hop = request.target.find("&hop=1") != std::string::npos;
    bool faulty = !script.empty() && !hop && takeFault(s, script, &fault, &clears);
    // A fault that answers in the script's place keeps the script from running at all: a spoilt
    // request changes nothing, and a redirected one is done once, at its second hop.
    const FaultKind kind = fault.kind;
    const bool late = kind == FaultKind::Delay || kind == FaultKind::Chunks || kind == FaultKind::Stall ||
                      kind == FaultKind::Hold;
    if (faulty && !late) {
        answerWithFault(s, fault, clears, request, response, std::string());
        return;
    }
    // The chunks, stall and hold faults answer the patch from a whole copy; a delay only holds it back.
    if (parsed && script == "patch.php" && !(faulty && kind != FaultKind::Delay)) {
        if (faulty)
            pause(s, fault.value);
        if (!sendPatch(s, requestedPatch(fields), response))
            response.set_content("fail", "text/plain");
        return;
    }
    std::string reply = parsed ? runScript(s.context, script, fields) : "fail";
    if (faulty)
        answerWithFault(s, fault, clears, request, response, reply);
    else
        response.set_content(reply, "text/plain");
}


// The log holds what players send: it is made the owner's only, and so is one that older builds
// made readable by all, before anything more is written to it. Opened once, so that no line is lost
// when the service runs short of files. -1, with error telling why, when it cannot be used (a
// folder or a FIFO among them, left as it is).
int openLog(const std::string& path, int& error)
{
    int file = platformOpenRegularFile(path, O_WRONLY | O_APPEND | O_CREAT, error);
    if (file >= 0 && ::fchmod(file, 0600) != 0) {
        error = errno;
        ::close(file);
        file = -1;
    }
    return file;
}

void closeLog(StandIn& s)
{
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.logFile >= 0)
        ::close(s.logFile);
    s.logFile = -1;
}

bool writePortFile(const std::string& path, int port)
{
    std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << port << '\n';
        if (!file.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}

StandIn::StandIn() = default;

StandIn::~StandIn()
{
    stopStandIn(*this);
}

bool startStandIn(StandIn& s, const StandInOptions& options, std::string* error)
{
    stopStandIn(s);
    s.options = options;
    s.stopping = false;
    auto refuse = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    // A key that cannot open requests would only have every one answered "fail".
    const std::string keyFile = options.keyFile.empty() ? TS_SERVICE_KEY_FILE : options.keyFile;
    int reason = 0;
    if (!platformReadFile(keyFile, s.context.privateKeyPem, maxKeyFileBytes, reason))
        return refuse("cannot read the service key " + keyFile + ": " + platformErrorText(reason));
    std::string keyFault = sealingKeyFault(s.context.privateKeyPem);
    if (!keyFault.empty())
        return refuse("the service key " + keyFile + " cannot be used: " + keyFault);
    if (!options.logPath.empty() && (s.logFile = openLog(options.logPath, reason)) < 0)
        return refuse("cannot use the log " + options.logPath + ": " + platformErrorText(reason));
    if (!openStore(s.store, options.databasePath, error)) {
        closeLog(s);
        return false;
    }
    // A script answers "error" or "fail" alike for a damaged database: the operator is told why.
    StandIn* service = &s;
    s.store.onError = [service](const std::string& message) {
        std::string line = "database error: " + escaped(message);
        std::fprintf(stderr, "ts_server: %s\n", line.c_str());
        record(*service, line);
    };
    s.context.store = &s.store;
    s.rejectionSecret = hashString("rejection secret\n" + s.context.privateKeyPem);

    s.server = std::make_unique<DeadlineServer>(mostWorkers);
    // A quick restart may reuse the address, but a second service never shares the port.
    s.server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // A connection's next request must begin within the keep-alive time-out, and be whole within
    // the read time-out, of the moment the service starts waiting for it.
    s.server->set_keep_alive_timeout(requestWaitSeconds);
    s.server->set_read_timeout(requestWaitSeconds, 0);
    s.server->set_write_timeout(takeWaitSeconds, 0);
    s.server->setReplyTimeout(std::chrono::seconds(replyWaitSeconds));
    s.server->setSendBuffer(sendBufferBytes);
    s.server->Get("/secure.php", [service](const httplib::Request& request, httplib::Response& response) {
        answerHttp(*service, request, response);
    });
    for (const auto& page : staticPages) {
        std::string body = page.second;
        s.server->Get(page.first, [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "text/html");
        });
    }
    // Loopback only: the service is never reachable from another machine.
    s.port = options.port == 0 ? s.server->bind_to_any_port("127.0.0.1")
                               : (s.server->bind_to_port("127.0.0.1", options.port) ? options.port : -1);
    if (s.port <= 0 || !s.server->widenBacklog()) {
        if (error)
            *error = "cannot listen on 127.0.0.1:" + std::to_string(options.port);
        s.server.reset();
        closeStore(s.store);
        closeLog(s);
        return false;
    }
    s.context.securePrefix = "http://127.0.0.1:" + std::to_string(s.port) + "/secure.php?data=";
    if (!options.portFile.empty() && !writePortFile(options.portFile, s.port)) {
        if (error)
            *error = "cannot write " + options.portFile;
        s.server.reset();
        closeStore(s.store);
        closeLog(s);
        return false;
    }
    httplib::Server* server = s.server.get();
    s.thread = std::thread([server] { server->listen_after_bind(); });
    // stop() only reaches a server that has started listening.
    while (!server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void stopStandIn(StandIn& s)
{
    s.stopping = true;
    if (s.server)
        s.server->stop();
    if (s.thread.joinable())
        s.thread.join();
    s.server.reset();
    s.patchCopies.clear();
    closeStore(s.store);
    closeLog(s);
    s.port = 0;
}

bool setStandInFault(StandIn& s, const std::string& spec)
{
    std::size_t equals = spec.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    std::string script = spec.substr(0, equals);
    if (script.size() < 4 || script.compare(script.size() - 4, 4, ".php") != 0)
        script += ".php";
    std::string rest = spec.substr(equals + 1);
    Fault fault;
    std::size_t star = rest.find('*');
    if (star != std::string::npos) {
        try {
            fault.remaining = std::stoi(rest.substr(star + 1));
        } catch (...) {
            return false;
        }
        if (fault.remaining <= 0)
            return false;
        rest.erase(star);
    }
    std::size_t colon = rest.find(':');
    std::string kind = rest.substr(0, colon);
    if (colon != std::string::npos) {
        try {
            fault.value = std::stoi(rest.substr(colon + 1));
        } catch (...) {
            return false;
        }
    }
    static const std::map<std::string, FaultKind> kinds = {
        {"delay", FaultKind::Delay},   {"status", FaultKind::Status},     {"garbage", FaultKind::Garbage},
        {"chunks", FaultKind::Chunks}, {"redirect", FaultKind::Redirect}, {"empty", FaultKind::Empty},
        {"stall", FaultKind::Stall},
    };
    auto found = kinds.find(kind);
    if (found == kinds.end() || fault.value < 0)
        return false;
    fault.kind = found->second;
    if (fault.kind == FaultKind::Status && (fault.value < 100 || fault.value > 599))
        return false;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.faults[script] = fault;
    return true;
}

namespace {

void setFault(StandIn& s, const std::string& script, FaultKind kind, int count, const std::string& text)
{
    Fault fault;
    fault.kind = kind;
    fault.remaining = count;
    fault.text = text;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.faults[script] = fault;
}

}

void setStandInReply(StandIn& s, const std::string& script, const std::string& text, int count)
{
    setFault(s, script, FaultKind::Reply, count, text);
}

void holdStandInAnswers(StandIn& s, const std::string& script, int count)
{
    setFault(s, script, FaultKind::Hold, count, std::string());
}

void clearStandInFaults(StandIn& s)
{
    std::lock_guard<std::mutex> lock(s.mutex);
    s.faults.clear();
    ++s.faultClears;
}

std::string answerSealed(StandIn& s, const std::string& data)
{
    std::string script;
    Fields fields;
    return readRequest(s, data, &script, &fields) ? runScript(s.context, script, fields) : "fail";
}

std::vector<std::string> standInLog(StandIn& s)
{
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.log;
}

const std::string& servicePrivateKeyPem()
{
    static const std::string key = [] {
        std::string text;
        int error = 0;
        return platformReadFile(TS_SERVICE_KEY_FILE, text, maxKeyFileBytes, error) ? text : std::string();
    }();
    return key;
}
