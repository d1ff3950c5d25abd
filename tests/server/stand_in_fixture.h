// A stand-in service of its own for each test: a fresh database in a temporary folder and an
// ephemeral port on 127.0.0.1, so tests run in parallel.
#pragma once
#include "crypto/codec.h"
#include "crypto/seal.h"
#include "online/sealing.h"
#include "server/stand_in.h"
#include "../read_file.h"
#include "../temp_folder.h"

#include <gtest/gtest.h>

#include <string>

struct StandInTest : ::testing::Test {
    TempFolder folder{"ts_stand_in"};
    StandIn service;
    std::string databasePath() const { return folder.path + "/service.db"; }
    void startService()
    {
        StandInOptions options;
        options.databasePath = databasePath();
        options.logPath = folder.path + "/requests.log";
        std::string error;
        ASSERT_TRUE(startStandIn(service, options, &error)) << error;
    }
    void SetUp() override { startService(); }
    void TearDown() override { stopStandIn(service); }
};

// The data value the game would send for a request text.
inline std::string sealedData(const std::string& text)
{
    static const std::string publicKey = publicKeyFromPrivatePem(servicePrivateKeyPem());
    return makeUrlSafe(stripLineBreaks(toBase64(rsaSeal(text, 1, publicKey))));
}

// The stand-in's patch key, whose public half the game trusts unless a release names its own.
inline const std::string& testPatchKey()
{
    static const std::string key = readFile(TS_SOURCE_DIR "/server/patch_key.pem");
    return key;
}
