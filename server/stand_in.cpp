#include "server/stand_in.h"

#include "crypto/codec.h"
#include "crypto/digest.h"
#include "crypto/seal.h"
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
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr std::size_t sealedBlock = 128;
// Each connection holds a worker while it is open: enough of them, and a short deadline for a
// request to be whole, keep idle, half-sent or trickling connections from holding up everyone else.
constexpr int serviceWorkers = 64;
constexpr int requestWaitSeconds = 2;

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

// Every byte outside printable ASCII, and the backslash, as "\xNN": a request stays on its one line.
std::string escaped(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= ' ' && c <= '~' && c != '\\')
            out += static_cast<char>(c);
        else
            out += "\\x" + toHexString(&c, 1);
    }
    return out;
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
    if (!s.options.logPath.empty()) {
        // The log holds what players send: the owner's only.
        int file = ::open(s.options.logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (file >= 0) {
            std::string entry = line + '\n';
            ssize_t written = ::write(file, entry.data(), entry.size());
            (void)written;
            ::close(file);
        }
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
    const bool late = kind == FaultKind::Delay || kind == FaultKind::Chunks || kind == FaultKind::Hold;
    if (faulty && !late) {
        answerWithFault(s, fault, clears, request, response, std::string());
        return;
    }
    std::string reply = parsed ? runScript(s.context, script, fields) : "fail";
    if (faulty)
        answerWithFault(s, fault, clears, request, response, reply);
    else
        response.set_content(reply, "text/plain");
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
    if (!openStore(s.store, options.databasePath, error))
        return false;
    // The log holds what players send: one that older builds made readable by all becomes the
    // owner's only before anything more is written to it.
    if (!options.logPath.empty() && ::chmod(options.logPath.c_str(), 0600) != 0 && errno != ENOENT) {
        if (error)
            *error = "cannot make " + options.logPath + " readable by its owner only";
        closeStore(s.store);
        return false;
    }
    s.context.store = &s.store;
    s.context.privateKeyPem = options.privateKeyPem.empty() ? servicePrivateKeyPem() : options.privateKeyPem;
    if (s.context.privateKeyPem.empty()) {
        if (error)
            *error = std::string("cannot read the service key ") + TS_SERVICE_KEY_FILE + " (--key names another)";
        closeStore(s.store);
        return false;
    }
    s.rejectionSecret = hashString("rejection secret\n" + s.context.privateKeyPem);

    s.server = std::make_unique<DeadlineServer>(serviceWorkers);
    // A quick restart may reuse the address, but a second service never shares the port.
    s.server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // A connection's next request must begin within the keep-alive time-out, and be whole within
    // the read time-out, of the moment the service starts waiting for it.
    s.server->set_keep_alive_timeout(requestWaitSeconds);
    s.server->set_read_timeout(requestWaitSeconds, 0);
    StandIn* service = &s;
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
        return false;
    }
    s.context.securePrefix = "http://127.0.0.1:" + std::to_string(s.port) + "/secure.php?data=";
    if (!options.portFile.empty() && !writePortFile(options.portFile, s.port)) {
        if (error)
            *error = "cannot write " + options.portFile;
        s.server.reset();
        closeStore(s.store);
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
    closeStore(s.store);
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
        std::ifstream file(TS_SERVICE_KEY_FILE, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    return key;
}
