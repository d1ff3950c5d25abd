#include "online/patching.h"

#include "crypto/digest.h"
#include "crypto/patch_key.h"
#include "crypto/patch_signature.h"
#include "engine/log.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "online/login.h"
#include "online/requests.h"
#include "platform/handover.h"

#include <cstdio>

std::string patchUrl;
float patchSize = 0.0f;
std::uint64_t patchSignedSize = 0;
std::string patchHash;
bool patchIsUpdater = false;
std::string patchData;
bool patchRequestSent = false;

float downloadSpeed = 0.0f;
std::vector<float> downloadSpeeds;
float downloadedBytes = 0.0f;
float speedSampleTimer = 0.0f, bytesRefreshTimer = 0.0f, lastSampleSize = 0.0f;

int (*patchLauncher)(const std::string& path) = platformLaunchProgram;

namespace {

constexpr float sampleIntervalMs = 1000.0f;
constexpr std::size_t keptSpeeds = 60;

// The names ts_update reads: the patch in the patch folder, and the updater beside the game.
std::string patchFileName()
{
    return std::string("Tessarine_patch") + platformExecutableSuffix();
}

std::string updaterPath()
{
    return std::string("./ts_update") + platformExecutableSuffix();
}

std::string twoDecimals(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}

bool takePatchOffer(const std::vector<std::string>& fields)
{
    if (fields.size() < 6)
        return false;
    const std::string &kind = fields[0], &size = fields[2], &digest = fields[3], &version = fields[4];
    // The signature covers the kind and the version too: a genuine "update" cannot become
    // "update_exe", and an older genuine offer cannot take the game back.
    if (!verifyPatchStatement(patchStatement(kind, version, size, digest), fields[5], patchPublicKeyPem) ||
        !isNewerVersion(version, gameVersion))
        return false;
    const std::uint64_t bytes = std::stoull(size);   // the statement holds only a plain number of 15 digits at most
    if (bytes > maxPatchBytes)
        return false;
    patchUrl = fields[1];
    patchSignedSize = bytes;
    patchSize = static_cast<float>(patchSignedSize);
    patchHash = digest;
    patchIsUpdater = kind == "update_exe";
    return true;
}

bool takePatchDownload(std::string* response)
{
    const std::string& bytes = *response;
    std::string folder = platformPatchFolder();
    if (folder.empty()) {
        logMessage("Patch folder cannot be found");
        return false;
    }
    // An empty or "fail" reply is no patch, whatever was signed.
    if (bytes.empty() || bytes == "fail" || bytes.size() != patchSignedSize || hashString(bytes) != patchHash) {
        logMessage("Patch digest mismatch, downloading again");
        return false;
    }
    // Without these the updater could not move the file, the old game would restart, be offered
    // the patch again, and restart for ever.
    if (patchIsUpdater && (!platformFolderWritable(".") || !platformIsExecutable(updaterPath()))) {
        logMessage("Patch not applied: the game folder is not writable or " + updaterPath() + " cannot run");
        return false;
    }
    std::string patchPath = folder + patchFileName();
    // The old patch goes first: if it stayed, the updater would install it instead.
    if (!platformRemoveFile(patchPath) || !platformWriteExecutable(patchPath, bytes)) {
        logMessage("Patch not applied: " + patchPath + " could not be written");
        return false;
    }
    std::string program = patchIsUpdater ? updaterPath() : patchPath;
    if (patchLauncher(program) < 0) {
        logMessage("Patch not applied: " + program + " could not be started");
        return false;
    }
    logout();
    return true;
}

void downloadPatchAgain(std::string*)
{
    patchRequestSent = false;
    patchData.clear();
}

void UpdatePatching(float dtMs)
{
    ProfileScope profile("UpdatePatching");
    float size = static_cast<float>(patchData.size());
    speedSampleTimer += dtMs;
    if (speedSampleTimer >= sampleIntervalMs) {
        speedSampleTimer -= sampleIntervalMs;
        // A download started over shrinks the data: count what arrived since the restart.
        float growth = size >= lastSampleSize ? size - lastSampleSize : size;
        lastSampleSize = size;
        downloadSpeeds.insert(downloadSpeeds.begin(), downloadSpeed);
        if (downloadSpeeds.size() > keptSpeeds)
            downloadSpeeds.resize(keptSpeeds);
        downloadSpeed = growth / (sampleIntervalMs / 1000.0f) / 1024.0f;
    }
    bytesRefreshTimer += dtMs;
    if (bytesRefreshTimer >= sampleIntervalMs) {
        bytesRefreshTimer -= sampleIntervalMs;
        downloadedBytes = size;
    }
    if (!patchRequestSent && offlineMode != 99) {
        patchData.clear();
        curlQueue(patchUrl, &patchData, rk::Patch, 3600);
        patchRequestSent = true;
    }
}

PatchingTexts patchingTexts()
{
    double mean = 0.0;
    for (float speed : downloadSpeeds)
        mean += speed;
    if (!downloadSpeeds.empty())
        mean /= static_cast<double>(downloadSpeeds.size());
    return {twoDecimals(downloadedBytes / 1024.0 / 1024.0), twoDecimals(patchSize / 1024.0 / 1024.0),
            twoDecimals((downloadSpeed + mean) / 2.0)};
}
