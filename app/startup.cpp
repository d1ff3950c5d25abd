#include "app/startup.h"

#include "engine/log.h"
#include "engine/startup.h"
#include "game/levels.h"
#include "game/states.h"
#include "online/rankings.h"
#include "online/requests.h"

#include <curl/curl.h>

static bool curlStarted = false;

bool initialize()
{
    initializeEngine();
    if (curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {
        curlStarted = true;
        curlMultiHandle = curl_multi_init();
    }
    rankingFlagsByMode.resize(gm::modeCount);
    rankingRowsByMode.resize(gm::modeCount);
    loadLevel(true);
    logMessage("Finished initializing");
    return true;
}

void deinitialize()
{
    // libcurl wants each transfer off the multi handle and freed before the handle goes.
    endRunningTransfers();
    if (curlMultiHandle) {
        curl_multi_cleanup(curlMultiHandle);
        curlMultiHandle = nullptr;
    }
    if (curlStarted) {
        curl_global_cleanup();
        curlStarted = false;
    }
    deinitializeEngine();
}
