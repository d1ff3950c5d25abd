// ts_server: the stand-in web service on 127.0.0.1.
//   ts_server [--db FILE] [--port N] [--port-file FILE] [--log FILE] [--key FILE]
//             [--fault SCRIPT=KIND[:VALUE][*COUNT]]...
// --port 0 takes an ephemeral port (see --port-file). It answers until SIGINT or SIGTERM.
#include "server/stand_in.h"

#include <signal.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: ts_server [--db FILE] [--port N] [--port-file FILE] [--log FILE] [--key FILE]\n"
                 "                 [--fault SCRIPT=KIND[:VALUE][*COUNT]]...\n"
                 "  KIND: delay (ms), status (HTTP code), garbage (bytes), chunks (ms between pieces),\n"
                 "        redirect, empty; COUNT: requests it spoils (default every one)\n");
    return 2;
}

}

int main(int argc, char** argv)
{
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
        } else if (arg == "--key") {
            std::ifstream file(value, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            if (!file) {
                std::fprintf(stderr, "ts_server: cannot read %s\n", value.c_str());
                return 1;
            }
            options.privateKeyPem = text.str();
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
