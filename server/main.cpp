// ts_server: the stand-in web service on 127.0.0.1.
//   ts_server [--db FILE] [--port N] [--port-file FILE] [--log FILE] [--key FILE]
//             [--fault SCRIPT=KIND[:VALUE][*COUNT]]...
//   ts_server offer-patch [--db FILE] [--key PATCH_KEY] KIND VERSION FILE
// --port 0 takes an ephemeral port (see --port-file). It answers until SIGINT or SIGTERM.
// offer-patch stores FILE as a patch of KIND ("update" or "update_exe") that installs VERSION
// ("0.1.1" or "Version 0.1.1"), newer than the patch on offer, signed with the patch key (--key:
// an Ed25519 private key in PEM, by default the stand-in's test key in the source tree), prints
// its id and exits. Logins of older games are offered the newest patch.
#include "crypto/patch_signature.h"
#include "platform/handover.h"
#include "server/stand_in.h"

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: ts_server [--db FILE] [--port N] [--port-file FILE] [--log FILE] [--key FILE]\n"
                 "                 [--fault SCRIPT=KIND[:VALUE][*COUNT]]...\n"
                 "       ts_server offer-patch [--db FILE] [--key PATCH_KEY] update|update_exe VERSION FILE\n"
                 "  KIND: delay (ms), status (HTTP code), garbage (bytes), chunks (ms between pieces),\n"
                 "        redirect, empty, stall (bytes held back); COUNT: requests it spoils (default every one)\n");
    return 2;
}

// Every connection is an open file: a desktop's soft limit of 1,024 ran the service out of files
// (its database's journal among them) under a crowd of idle connections that the hard limit allows.
void raiseOpenFileLimit()
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
}

int offerPatchCommand(int argc, char** argv)
{
    std::string databasePath = "ts_server.db", keyPath = TS_TEST_PATCH_KEY;
    std::vector<std::string> positional;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--db" || arg == "--key") && i + 1 < argc)
            (arg == "--db" ? databasePath : keyPath) = argv[++i];
        else if (arg.compare(0, 2, "--") == 0)
            return usage();
        else
            positional.push_back(arg);
    }
    if (positional.size() != 3 || (positional[0] != "update" && positional[0] != "update_exe"))
        return usage();
    // Before anything is read or the database made.
    std::string error = patchVersionRefusal(positional[1]);
    if (!error.empty()) {
        std::fprintf(stderr, "ts_server: %s: nothing stored\n", error.c_str());
        return 1;
    }
    std::string bytes, patchKey;
    int reason = 0;
    // One byte over the limit is enough for the patch to be refused as too large, with its size;
    // a larger one is refused by its size, unread.
    if (!platformReadFile(positional[2], bytes, maxPatchBytes + 1, reason)) {
        std::fprintf(stderr, "ts_server: cannot read %s: %s\n", positional[2].c_str(), platformErrorText(reason).c_str());
        return 1;
    }
    if (bytes.empty()) {
        std::fprintf(stderr, "ts_server: %s is empty: nothing stored\n", positional[2].c_str());
        return 1;
    }
    if (!platformReadFile(keyPath, patchKey, maxKeyFileBytes, reason)) {
        std::fprintf(stderr, "ts_server: cannot read the patch key %s (--key names it): %s\n", keyPath.c_str(),
                     platformErrorText(reason).c_str());
        return 1;
    }
    Store store;
    ScriptContext context;
    context.store = &store;
    if (!openStore(store, databasePath, &error)) {
        std::fprintf(stderr, "ts_server: %s\n", error.c_str());
        return 1;
    }
    long long id = offerPatch(context, positional[0], positional[1], bytes, patchKey, &error);
    closeStore(store);
    if (id <= 0) {
        std::fprintf(stderr, "ts_server: %s: nothing stored\n", error.c_str());
        return 1;
    }
    std::printf("%lld\n", id);
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "offer-patch") == 0)
        return offerPatchCommand(argc, argv);
    StandInOptions options;
    options.databasePath = "ts_server.db";
    options.port = 8723;
    std::vector<std::string> faults;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        std::string value = argv[++i];
        if (arg == "--db") {
            options.databasePath = value;
        } else if (arg == "--port") {
            try {
                options.port = std::stoi(value);
            } catch (...) {
                return usage();
            }
            if (options.port < 0 || options.port > 65535)
                return usage();
        } else if (arg == "--port-file") {
            options.portFile = value;
        } else if (arg == "--log") {
            options.logPath = value;
        } else if (arg == "--key" && !value.empty()) {
            options.keyFile = value;
        } else if (arg == "--fault") {
            faults.push_back(value);
        } else {
            return usage();
        }
    }

    // The signals are taken by sigwait below, not by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    raiseOpenFileLimit();
    StandIn service;
    std::string error;
    if (!startStandIn(service, options, &error)) {
        std::fprintf(stderr, "ts_server: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& fault : faults) {
        if (!setStandInFault(service, fault)) {
            std::fprintf(stderr, "ts_server: bad fault %s\n", fault.c_str());
            stopStandIn(service);
            return usage();
        }
    }
    std::printf("ts_server: listening on 127.0.0.1:%d\n", service.port);
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    stopStandIn(service);
    return 0;
}
