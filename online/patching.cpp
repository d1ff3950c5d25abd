#include "online/patching.h"

std::string patchUrl;
float patchSize = 0.0f;
std::string patchHash;
bool patchIsUpdater = false;
std::string patchData;
bool patchRequestSent = false;

// Placeholder until the patch download is written: a failed download is asked for again.
void handlePatchReply(int resultCode, std::string*)
{
    if (resultCode != 0)
        patchRequestSent = false;
}

// Placeholder until the patching page is written.
void UpdatePatching(float) {}
