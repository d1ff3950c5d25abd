#include "online_fixture.h"

#include "crypto/digest.h"
#include "engine/log.h"
#include "engine/main.h"
#include "platform/handover.h"
#include "../read_file.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> launched;
int recordLaunch(const std::string& path)
{
    launched.push_back(path);
    return 4242;
}

void writeFile(const std::string& path, const std::string& bytes, mode_t mode)
{
    std::ofstream(path, std::ios::binary) << bytes;
    chmod(path.c_str(), mode);
}

// A patch download finishing in the test's folder as the game folder (the working directory, where
// ts_update is looked for), the patch folder under a temporary XDG_DATA_HOME, programs recorded.
struct Patching : OnlineTest {
    std::string dataHome, patchPath, savedCwd, savedDataHome;

    void SetUp() override
    {
        OnlineTest::SetUp();
        char cwd[4096];
        savedCwd = getcwd(cwd, sizeof cwd) ? cwd : ".";
        savedDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        dataHome = folder.path + "/data";
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        patchPath = dataHome + "/Quorvane/Tessarine/Patch/Tessarine_patch";
        closeLogFile();   // console.log is opened again in the working directory
        ASSERT_EQ(chdir(folder.path.c_str()), 0);
        patchLauncher = recordLaunch;
        gameState = gs::Patching;
    }
    void TearDown() override
    {
        patchLauncher = platformLaunchProgram;
        closeLogFile();
        EXPECT_EQ(chdir(savedCwd.c_str()), 0);
        setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
        patchData.clear();
        OnlineTest::TearDown();
    }
    // The download of bytes ends; the offer expected digest and the bytes' size.
    void finish(const std::string& bytes, const std::string& digest, bool updater, int resultCode = 0)
    {
        patchHash = digest;
        patchSignedSize = bytes.size();
        patchIsUpdater = updater;
        patchRequestSent = true;
        patchData = bytes;
        handleReply(rk::Patch, resultCode, &patchData);
    }
    int logouts()
    {
        int count = 0;
        for (const std::string& line : standInLog(service))
            count += line.compare(0, 10, "logout.php") == 0;
        return count;
    }
};

}

TEST_F(Patching, SpeedSamplesAndTheDownloadStart)
{
    patchUrl = "patch.php?id=4";
    offlineMode = 99;
    UpdatePatching(16.0f);
    EXPECT_TRUE(requests.empty()) << "offline: nothing is downloaded";
    offlineMode = 0;
    patchData = "left over";
    UpdatePatching(16.0f);
    UpdatePatching(16.0f);
    ASSERT_EQ(requests.size(), 1u) << "queued once until sent again";
    EXPECT_EQ(requests[0].url + " " + std::to_string(requests[0].kind), "patch.php?id=4 5");
    EXPECT_EQ(requests[0].response, &patchData);
    EXPECT_TRUE(patchData.empty());

    // Second k brings k KB: the first sample inserts the 0 that came before any reading.
    for (int k = 1; k <= 61; ++k) {
        patchData.append(1024 * k, 'x');
        UpdatePatching(1000.0f);
        EXPECT_FLOAT_EQ(downloadSpeed, float(k));
        EXPECT_FLOAT_EQ(downloadSpeeds.front(), float(k - 1));
    }
    ASSERT_EQ(downloadSpeeds.size(), 60u);
    EXPECT_FLOAT_EQ(downloadSpeeds.back(), 1.0f) << "the 60 most recent earlier readings";
    EXPECT_FLOAT_EQ(downloadedBytes, float(patchData.size()));
    // A download started over counts from its new start, never below zero.
    patchData.assign(2048, 'x');
    UpdatePatching(1000.0f);
    EXPECT_FLOAT_EQ(downloadSpeed, 2.0f);
}

TEST_F(Patching, PageTexts)
{
    struct Case {
        float downloaded, size, speed;
        std::vector<float> speeds;
        std::string expected;   // MB downloaded, MB in all, KB/s
    };
    for (const Case& c : std::vector<Case>{
             {0, 1048576, 0, {}, "0.00 1.00 0.00"},
             {524288, 3145728, 100, {50, 150}, "0.50 3.00 100.00"},
             {1048576 * 1.5f, 0, 10, {}, "1.50 0.00 5.00"},
         }) {
        downloadedBytes = c.downloaded;
        patchSize = c.size;
        downloadSpeed = c.speed;
        downloadSpeeds = c.speeds;
        PatchingTexts texts = patchingTexts();
        EXPECT_EQ(texts.downloaded + " " + texts.total + " " + texts.speed, c.expected);
    }
    // Before the first second every number is zero, however much has arrived.
    resetOnlineGlobals();
    patchRequestSent = true;
    patchData.assign(500000, 'x');
    UpdatePatching(999.0f);
    PatchingTexts texts = patchingTexts();
    EXPECT_EQ(texts.downloaded + texts.speed, "0.000.00");
}

// Every way a download can end: only a download matching the signed digest, written whole, with
// the program it hands over to able to run, starts that program and logs out; any other is
// downloaded again once the back-off lets it.
TEST_F(Patching, DownloadEnds)
{
    const std::string bytes("\x7f" "ELF new build\0with a zero", 25);
    const std::string digest = hashString(bytes), patchFolder = dataHome + "/Quorvane/Tessarine/Patch/";
    std::string upperDigest = digest;
    for (char& c : upperDigest)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string reply, digest;
        bool updater;
        int resultCode;
        std::string started;      // the program started, "" for none
        std::string patchAfter;   // what the patch file holds afterwards
    };
    auto none = [] {};
    for (const Case& c : std::vector<Case>{
             {"update", none, bytes, digest, false, 0, patchPath, bytes},
             {"update_exe", none, bytes, digest, true, 0, "./ts_update", bytes},
             {"transport failure", none, bytes, digest, false, CURLE_OPERATION_TIMEDOUT, "", "old"},
             {"fail reply", none, "fail", hashString("fail"), false, 0, "", "old"},
             {"empty reply", none, "", hashString(""), false, 0, "", "old"},
             {"digest differs in case only", none, bytes, upperDigest, false, 0, "", "old"},
             {"no patch folder", [] { unsetenv("XDG_DATA_HOME"); unsetenv("HOME"); }, bytes, digest, false, 0, "",
              "old"},
             {"old patch cannot be removed",
              [&] {
                  platformRemoveFile(patchPath);
                  mkdir(patchPath.c_str(), 0755);
                  writeFile(patchPath + "/inside", "", 0644);
              },
              bytes, digest, false, 0, "", ""},
             {"no updater", [&] { unlink("ts_update"); }, bytes, digest, true, 0, "", "old"},
             {"updater not executable", [&] { chmod("ts_update", 0644); }, bytes, digest, true, 0, "", "old"},
             {"launch fails", [] {
                  patchLauncher = [](const std::string& path) {
                      recordLaunch(path);
                      return -1;
                  };
              },
              bytes, digest, true, 0, "./ts_update", bytes},
             {"write cut short",
              [] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  rlimit limit{4, RLIM_INFINITY};
                  setrlimit(RLIMIT_FSIZE, &limit);
              },
              bytes, digest, false, 0, "", ""},
         }) {
        std::system(("rm -rf '" + patchFolder + "'").c_str());
        ASSERT_FALSE(platformPatchFolder().empty());
        writeFile(patchPath, "old", 0755);
        writeFile("ts_update", "#!/bin/sh\n", 0755);
        launched.clear();
        programRunning = true;
        int logoutsBefore = logouts();
        c.arrange();
        finish(c.reply, c.digest, c.updater, c.resultCode);
        ASSERT_TRUE(pumpUntilIdle()) << "the logout is answered";
        rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        patchLauncher = recordLaunch;

        bool handedOver = c.started != "" && c.what != std::string("launch fails");
        EXPECT_EQ(launched, c.started.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.started})
            << c.what;
        EXPECT_EQ(programRunning, !handedOver) << c.what;
        EXPECT_EQ(logouts() - logoutsBefore, handedOver ? 1 : 0) << c.what;
        EXPECT_EQ(patchRequestSent, handedOver) << c.what << ": downloaded again";
        EXPECT_EQ(readFile(patchPath), c.patchAfter) << c.what;
        EXPECT_FALSE(platformFileExists(patchPath + ".part")) << c.what;
        struct stat st;
        EXPECT_TRUE(c.patchAfter != bytes || (stat(patchPath.c_str(), &st) == 0 && (st.st_mode & 07777) == 0755))
            << c.what;
        EXPECT_TRUE(c.digest != upperDigest || patchData.empty()) << "a mismatch drops the download";
    }
}

// A download answered empty is fetched again once the back-off lets it, and installed.
TEST_F(Patching, AnEmptyDownloadIsFetchedAgainAndInstalled)
{
    const std::string bytes = "new build";
    patchUrl = "patch.php?id=" + std::to_string(offerPatch(service.context, "update", "9", bytes, testPatchKey()));
    patchHash = hashString(bytes);
    patchSignedSize = bytes.size();
    ASSERT_TRUE(setStandInFault(service, "patch=empty*1"));
    launched.clear();
    EXPECT_TRUE(pumpUntil([] {
        UpdatePatching(16.0f);
        return !launched.empty();
    }));
    EXPECT_EQ(launched, std::vector<std::string>{patchPath});
    EXPECT_EQ(readFile(patchPath), bytes);
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const CurlRequest& r) { return r.kind == rk::Patch; }),
              2);
}

// A download that brings nothing for a while, or all but its last byte and then nothing, has
// stalled: it ends as a time-out, waits out the back-off like any other failure, and is asked for
// again and installed.
TEST_F(Patching, AStalledDownloadIsAskedForAgainAndInstalled)
{
    static double now;
    struct Restore {
        double (*clock)() = requestClockMs;
        ~Restore()
        {
            requestClockMs = clock;
            transferStallRule = stalledTransfer;
        }
    } restore;
    requestClockMs = [] { return now; };
    transferStallRule.silenceSeconds = 2;   // the whole rule would keep each case waiting half a minute
    const std::string bytes(300, 'p');
    const long long id = offerPatch(service.context, "update", "9", bytes, testPatchKey());
    struct Case {
        const char* fault;
        std::size_t arrived;   // what came before the stall
    };
    for (const Case& c : {Case{"patch=delay:3600000*1", 0}, Case{"patch=stall:1*1", bytes.size() - 1}}) {
        dropTransfers();
        resetOnlineGlobals();
        gameState = gs::Patching;
        now = 0.0;
        patchUrl = "patch.php?id=" + std::to_string(id);
        patchData.clear();
        patchHash = hashString(bytes);
        patchSignedSize = bytes.size();
        ASSERT_TRUE(setStandInFault(service, c.fault));
        launched.clear();
        static std::size_t arrived;
        arrived = 0;
        ASSERT_TRUE(pumpUntil([] {
            arrived = std::max(arrived, patchData.size());
            UpdatePatching(16.0f);
            return requests.size() == 2;
        }, 60000)) << c.fault << ": the stalled download ends";
        EXPECT_EQ(arrived, c.arrived) << c.fault;
        EXPECT_EQ(requests[0].resultCode, CURLE_OPERATION_TIMEDOUT) << c.fault;
        EXPECT_TRUE(requests[1].held) << c.fault << ": the next download waits out the back-off";
        // A clock that runs on ends the back-off, and lets a download cut short on a loaded
        // machine be asked for again at once.
        EXPECT_TRUE(pumpUntil([] {
            now += 60000.0;
            UpdatePatching(16.0f);
            return !launched.empty();
        })) << c.fault;
        EXPECT_EQ(launched, std::vector<std::string>{patchPath}) << c.fault;
        EXPECT_EQ(readFile(patchPath), bytes) << c.fault;
    }
}

// A refused offer is logged as it came, in one line, its control bytes escaped.
TEST_F(Patching, ARefusedOfferIsOneEscapedLineOfTheLog)
{
    const std::string zeros(64, '0');
    std::string offer = "update patch.php?id=1 9 " + zeros + " 9 c2ln\r\nPatch installed\x1b[2J\\";
    handleReply(rk::Login, 0, &offer);
    closeLogFile();
    EXPECT_EQ(readFile("console.log"), "update patch.php?id=1 9 " + zeros +
                                           " 9 c2ln\\x0d\\x0aPatch installed\\x1b[2J\\x5c\r\nPatch offer rejected\r\n");
}

// An offer is taken only as the patch key signed it, and only for a version newer than the game's.
TEST_F(Patching, OnlySignedOffersOfNewerVersionsAreTaken)
{
    const std::string bytes = "new build", digest = hashString(bytes);
    // Anyone can register a password that is a file's digest; its stored form is the service's
    // RSA blocks over that digest, made with the key that once signed offers.
    std::string registered = runScript(service.context, "reg.php",
                                       {{"username", "mallory"}, {"password", digest},
                                        {"email", "m@example.org"}, {"passwordHash", hashString(digest)}});
    ASSERT_EQ(registered.rfind("success ", 0), 0u) << registered;
    const std::string stored = registered.substr(8);
    const std::string genuine = signedOffer("update", "0.3", bytes);
    auto replaced = [&](std::size_t field, const std::string& text) {
        std::vector<std::string> fields = replyFields(genuine);
        fields[field] = text;
        std::string reply;
        for (const std::string& f : fields)
            reply += (reply.empty() ? "" : " ") + f;
        return reply;
    };
    auto sized = [&](std::size_t size) {
        const std::string n = std::to_string(size);
        return "update patch.php?id=1 " + n + " " + digest + " 0.3 " +
               signPatchStatement(patchStatement("update", "0.3", n, digest), testPatchKey());
    };
    std::string flipped = base64Decode(replyFields(genuine)[5]);
    flipped[10] ^= 1;
    struct Case {
        const char* what;
        std::string reply, ownVersion;
        bool taken;
    };
    for (const Case& c : std::vector<Case>{
             {"genuine", genuine, "Version 0.2.0", true},
             {"genuine update_exe", signedOffer("update_exe", "0.3", bytes), "Version 0.2.0", true},
             {"registered digest, old layout", "update_exe patch.php?id=1 9 " + stored, "Version 0.2.0", false},
             {"registered digest as signature", "update_exe patch.php?id=1 9 " + digest + " 9 " + stored,
              "Version 0.2.0", false},
             {"kind swapped", replaced(0, "update_exe"), "Version 0.2.0", false},
             {"kind swapped back", signedOffer("update_exe", "0.3", bytes).replace(0, 10, "update"), "Version 0.2.0",
              false},
             {"size changed", replaced(2, "10"), "Version 0.2.0", false},
             {"digest changed", replaced(3, hashString("other build")), "Version 0.2.0", false},
             {"version raised", replaced(4, "9"), "Version 0.2.0", false},
             {"signature damaged", replaced(5, base64_encode(reinterpret_cast<const unsigned char*>(flipped.data()),
                                                             flipped.size())),
              "Version 0.2.0", false},
             {"no signature", genuine.substr(0, genuine.rfind(' ')), "Version 0.2.0", false},
             {"older version", signedOffer("update", "0.1.9", bytes), "Version 0.2.0", false},
             {"same version", signedOffer("update", "0.2", bytes), "Version 0.2.0", false},
             {"newer by number, not by text", signedOffer("update", "0.10", bytes), "Version 0.9.0", true},
             {"own version unknown", genuine, "", false},
             {"larger than any download", sized(maxPatchBytes + 1), "Version 0.2.0", false},
         }) {
        resetOnlineGlobals();
        gameVersion = c.ownVersion;
        std::string reply = c.reply;
        handleReply(rk::Login, 0, &reply);
        EXPECT_EQ(gameState, c.taken ? gs::Patching : gs::Login) << c.what;
        EXPECT_EQ(popupId, c.taken ? 12 : 14) << c.what;
        EXPECT_EQ(consoleLines.back() == "Patch offer rejected", !c.taken) << c.what;
        EXPECT_EQ(patchHash, c.taken ? digest : "") << c.what;
        EXPECT_EQ(patchSignedSize, c.taken ? bytes.size() : 0u) << c.what;
        EXPECT_EQ(patchUrl, c.taken ? "patch.php?id=1" : "") << c.what;
        EXPECT_EQ(patchIsUpdater, c.taken && c.reply.rfind("update_exe", 0) == 0) << c.what;
        EXPECT_TRUE(requests.empty()) << c.what << ": the page starts the download, not the reply";
    }
}
