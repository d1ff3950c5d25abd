// The stand-in service that a benchmark starts in its own process, its database in `folder`.
#pragma once
#include "server/stand_in.h"

#include <cstdio>
#include <string>

namespace bench {

inline bool startService(StandIn& service, const std::string& folder)
{
    StandInOptions options;
    options.databasePath = folder + "/service.db";
    std::string error;
    if (startStandIn(service, options, &error))
        return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

}
