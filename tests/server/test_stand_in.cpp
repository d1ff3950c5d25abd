#include "stand_in_fixture.h"

#include "crypto/digest.h"
#include "crypto/patch_key.h"
#include "crypto/patch_signature.h"
#include "online/query.h"
#include "engine/camera.h"
#include "engine/config.h"
#include "engine/util.h"
#include "game/game_types.h"
#include "game/mass.h"
#include "game/play_achievements.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/score.h"
#include "game/scoring.h"
#include "game/states.h"
#include "online/achievements.h"
#include "online/requests.h"
#include "online/replies.h"
#include "server/raw_listener.h"

#include <curl/curl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace {

struct Account {
    std::string id, hash;
};

struct Scripts : StandInTest {
    std::string ask(const std::string& text) { return answerSealed(service, sealedData(text)); }
    // The request as the game sends it over HTTP.
    std::string url(const std::string& text)
    {
        return "http://127.0.0.1:" + std::to_string(service.port) + "/secure.php?data=" + sealedData(text);
    }

    std::string reg(const std::string& name, const std::string& password)
    {
        return ask(buildRequest("reg.php?beta=1", {{"&username=", name}, {"&passwordHash=", hashString(password)},
                                                   {"&password=", password}, {"&email=", name + "@example.org"}}));
    }
    std::vector<std::string> login(const std::string& name, const std::string& password,
                                   const std::string& version = "Version 0.1.0")
    {
        return replyFields(ask(buildRequest("login.php?version=rc2&build=direct",
                                            {{"&platform=", ""}, {"&username=", name}, {"&password=", password},
                                             {"&gameversion=", version}, {"&mac=", "01-02-03-04-05-06"}})));
    }
    Account account(const std::string& name, const std::string& password = "hunter22")
    {
        reg(name, password);
        std::vector<std::string> fields = login(name, password);
        return fields.size() > 1 ? Account{fields[1], hashString(password)} : Account{};
    }
    std::string score(const Account& a, int mode, int level, int points, int performance)
    {
        return ask(buildRequest("score.php?", {{"gamemode=", mode}, {"&level=", level}, {"&score=", points},
                                               {"&time=", 60000}, {"&performance=", performance},
                                               {"&userid=", a.id}, {"&passwordHash=", a.hash}}));
    }
    std::string ranking(int mode, int offset)
    {
        return ask(buildRequest("world_ranking_staggered.php?", {{"gamemode=", mode}, {"&offset=", offset}}));
    }
};

std::string publicKey()
{
    return publicKeyFromPrivatePem(servicePrivateKeyPem());
}

std::vector<std::string> queuedUploads;
void recordUpload(const std::string& url, std::string*, int kind, long)
{
    if (kind == rk::AchievementUpload)
        queuedUploads.push_back(url);
}

// The achievement uploads the game queues in play, logged in to this account: every moment of
// play that earns one, met as play meets it.
std::vector<std::string> uploadsOfPlay(const std::string& id, const std::string& password)
{
    const std::pair<int, void (*)()> moments[] = {
        {gm::Normal, [] { scoreRemovedGroup(13); }},
        {gm::Meditation, [] { scoreRemovedGroup(16); }},
        {gm::Rush,
         [] {
             for (int i = 0; i < 6; ++i) {   // six removals within ten seconds
                 apmTime = static_cast<float>(i);
                 scoreRemovedGroup(4);
             }
         }},
        {gm::Expert,
         [] {   // a Fusion Pulse bought with the mass at its limit
             massLevel = massLimit;
             startPowerup(powerupFusionPulse, true);
         }},
        {gm::Normal,
         [] {   // past the best known
             personalBest = 1;
             setScore(2);
             updatePlayAchievements(16.0f);
         }},
        {gm::Survival,
         [] {   // five minutes survived
             apmTime = 300.0f;
             updatePlayAchievements(16.0f);
         }},
        {gm::Normal,
         [] {   // the camera spun round and round
             for (int frame = 0; frame < 11; ++frame) {
                 cameraAngles[0] = lightheadedTurn;
                 updatePlayAchievements(16.0f);
             }
         }},
        {gm::Survival,
         [] {   // a stage ended after ten seconds in the red zone
             massLevel = massLimit;
             updatePlayAchievements(redZoneLength);
             awardRedZoneAtStageEnd();
         }},
    };
    auto forget = [] {
        for (bool& earned : cheeveEarned)
            earned = false;
        cheeveToasts.clear();
        cheeveToastShown.clear();
        resetAchievementUploads();
    };
    forget();
    offlineMode = 0;
    userId = id;
    playerPassword = password;
    curlQueueHook = recordUpload;
    queuedUploads.clear();
    for (const auto& [mode, play] : moments) {
        gameMode = mode;
        play();
    }
    curlQueueHook = nullptr;
    userId.clear();
    playerPassword.clear();
    gameMode = gm::Overall;
    forget();
    return queuedUploads;
}

}

TEST_F(Scripts, AccountsNamesAndLogins)
{
    EXPECT_EQ(ask("which_server.php"), "http://127.0.0.1:" + std::to_string(service.port) + "/secure.php?data=");
    EXPECT_EQ(ask("checkname.php?username=quill"), "available");
    std::vector<std::string> made = replyFields(reg("quill", "hunter22"));
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0], "success");
    // The stored form opens with the game's public key to the password itself.
    EXPECT_EQ(rsaUnseal(base64Decode(made[1]), 1, publicKey()), "hunter22");

    struct Case {
        std::string request, reply;
    };
    for (const Case& c : std::vector<Case>{
             {"checkname.php?username=QUILL", "unavailable"},
             {"checkname.php?username=", "error"},
             {"checkname.php?username=a%2Cb", "error"},
             {"checkname.php?username=" + std::string(33, 'x'), "error"},
             {"reg.php?beta=1&username=QUILL&passwordHash=" + hashString("x") + "&password=x&email=a@b.c", "error"},
             {"reg.php?beta=1&username=other&passwordHash=" + hashString("y") + "&password=x&email=a@b.c", "error"},
             {"reg.php?beta=1&username=other&passwordHash=" + hashString("x") + "&password=x&email=nomail", "error"},
             {"logout.php?beta2=1&userid=&playhash=", "ok"},
         })
        EXPECT_EQ(ask(c.request), c.reply) << c.request;

    EXPECT_EQ(login("quill", "wrong"), std::vector<std::string>{"fail"});
    EXPECT_EQ(login("nobody", "hunter22"), std::vector<std::string>{"fail"});
    std::vector<std::string> fields = login("Quill", "hunter22");
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[0], "success");
    EXPECT_EQ(fields[1], "1");
    EXPECT_EQ(fields[2].size(), 32u);
    EXPECT_EQ(fields[3], made[1]);
    EXPECT_EQ(fields[4], "0");
    EXPECT_EQ(fields[5], "1") << "a new service has its greeting as news";
    EXPECT_NE(login("quill", "hunter22")[2], fields[2]) << "every login its own play hash";
    EXPECT_EQ(ask("logout.php?beta2=1&userid=1&playhash=" + fields[2]), "ok");
    EXPECT_EQ(ask("news.php"), "Welcome to Tessarine!\nThe world rankings are open.\n");
    for (const std::string& line : standInLog(service))
        EXPECT_NE(line.rfind("database error", 0), 0u) << "a name already taken is an answer, not a fault";
}

TEST_F(Scripts, AchievementsNeedTheAccountsDigest)
{
    Account a = account("quill");
    std::string sync = "sync_cheeves.php?userid=" + a.id + "&passwordHash=" + a.hash;
    EXPECT_EQ(ask(sync), "0");
    EXPECT_EQ(ask("client_cheeve.php?userid=" + a.id + "&passwordHash=" + a.hash + "&cheeve=quicksave"), "14");
    EXPECT_EQ(ask("client_cheeve.php?userid=" + a.id + "&passwordHash=" + a.hash + "&cheeve=lightheaded"), "1");
    EXPECT_EQ(ask("client_cheeve.php?userid=" + a.id + "&passwordHash=" + a.hash + "&cheeve=quicksave"), "14");
    EXPECT_EQ(ask(sync), "1 14");
    // The uploads the game's own play sends are taken as sent; every other key the service refuses,
    // since the service alone grants it.
    std::set<int> granted = {1, 14};
    for (const std::string& upload : uploadsOfPlay(a.id, "hunter22")) {
        const int number = cheeveKeyNumber(upload.substr(upload.rfind('=') + 1));
        granted.insert(number);
        EXPECT_EQ(ask(upload), std::to_string(number)) << upload;
    }
    std::string numbers;
    for (int n = 1; n <= achievementCount; ++n) {
        if (!granted.count(n))
            EXPECT_EQ(ask("client_cheeve.php?userid=" + a.id + "&passwordHash=" + a.hash + "&cheeve=" +
                          cheeveKeyName(n)),
                      "fail")
                << cheeveKeyName(n);
        else
            numbers += (numbers.empty() ? "" : " ") + std::to_string(n);
    }
    EXPECT_EQ(ask(sync), numbers);
    for (const std::string& bad : {"&passwordHash=" + hashString("wrong") + "&cheeve=epic",
                                   "&passwordHash=" + a.hash + "&cheeve=", "&passwordHash=" + a.hash + "&cheeve=Epic"})
        EXPECT_EQ(ask("client_cheeve.php?userid=" + a.id + bad), "fail") << bad;
    EXPECT_EQ(ask("sync_cheeves.php?userid=2&passwordHash=" + a.hash), "fail");
}

TEST_F(Scripts, ScoresSkillPointsRanksAndGrants)
{
    Account a = account("quill"), b = account("wren");
    std::string highscore = "highscore.php?gamemode=2&level=1&username=quill&userid=" + a.id;
    EXPECT_EQ(ask(highscore), "0 0 1000 250 0") << "no scores yet: the level's default band";

    // id, score, best here, scores here, rank before, rank after, points before, points after.
    EXPECT_EQ(score(a, 2, 1, 12345, 5), "1 12345 12345 1 0 1 0 123");
    EXPECT_EQ(score(b, 2, 1, 20000, 5), "2 20000 20000 1 0 1 0 200");
    EXPECT_EQ(score(a, 2, 1, 9000, 4), "3 9000 12345 2 2 2 123 123") << "only the best of a level counts";
    EXPECT_EQ(score(a, 2, 2, 10000, 7), "4 10000 10000 1 2 1 123 223 4") << "epic at performance 7";
    EXPECT_EQ(score(a, 2, 10, 100, 7), "5 100 100 1 1 1 223 224 9") << "Normal completed, epic already earned";
    EXPECT_EQ(score(b, 1, 10, -500, 3), "6 -500 -500 1 0 1 0 0 8") << "Casual completed; a negative best adds 0";
    EXPECT_EQ(score(b, 3, 10, 500, 3), "7 500 500 1 0 1 0 5 11");
    EXPECT_EQ(score(b, 3, 10, 700, 3), "8 700 700 2 1 1 5 7");

    std::vector<std::string> standing = replyFields(ask(highscore));
    EXPECT_EQ(standing, (std::vector<std::string>{"3", "12345", "13782", "4604", "1"}));

    for (const std::string& bad :
         {std::string("gamemode=7&level=1&score=1&performance=3"), std::string("gamemode=1&level=1&score=x&performance=3"),
          std::string("gamemode=1&level=1&score=1&performance=8")})
        EXPECT_EQ(ask("score.php?" + bad + "&userid=" + a.id + "&passwordHash=" + a.hash), "fail") << bad;
    EXPECT_EQ(ask("death.php?gamemode=2&level=1&score=10&time=12.5&userid=" + a.id + "&passwordHash=" + a.hash), "ok");
    EXPECT_EQ(ask("death.php?gamemode=2&level=1&score=10&time=12.5&userid=&passwordHash="), "fail");
}

TEST_F(Scripts, RankingPagesOf25RowsUntilEof)
{
    std::vector<Account> players;
    for (int i = 0; i < 30; ++i) {
        players.push_back(account("p" + std::to_string(i), "pw"));
        score(players.back(), 4, 1, 100 * (i + 1), 4);
    }
    std::string first = ranking(4, 0);
    ASSERT_EQ(first.compare(0, 11, "4 ROWS 25\r\n"), 0) << first;
    std::istringstream rows(first.substr(11));
    std::string row;
    int count = 0;
    while (std::getline(rows, row)) {
        ASSERT_FALSE(row.empty());
        ASSERT_EQ(row.back(), '\r');
        row.pop_back();
        std::vector<std::string> pieces;
        split(row, ",", &pieces);
        ASSERT_EQ(pieces.size(), 6u) << row;
        EXPECT_EQ(pieces[0], "4");
        EXPECT_EQ(pieces[2], std::to_string(count + 1));
        EXPECT_EQ(pieces[3], std::to_string(30 - count)) << "most skill points first";
        EXPECT_EQ(pieces[4], players[29 - count].id);
        ++count;
    }
    EXPECT_EQ(count, 25);
    EXPECT_EQ(ranking(4, 25).compare(0, 10, "4 ROWS 5\r\n"), 0);
    EXPECT_EQ(ranking(4, 30), "4 EOF\r\n");
    EXPECT_EQ(ranking(2, 0), "2 EOF\r\n");
    EXPECT_EQ(ranking(0, 0).compare(0, 11, "0 ROWS 25\r\n"), 0) << "the overall list";
    EXPECT_EQ(ranking(7, 0), "fail");
    EXPECT_EQ(ask("world_ranking_staggered.php?gamemode=1&offset=-1"), "fail");
}

// One patch on offer, the highest version, and only to older games: with two, games between them
// were sent back and forth at every start.
TEST_F(Scripts, TheNewestPatchGoesToOlderGamesOnly)
{
    account("quill");
    const std::string& key = testPatchKey();
    long long newest = offerPatch(service.context, "update_exe", "Version 0.3", "build 0.3", key);
    ASSERT_GT(newest, 0);
    // Older builds stored any version: an older patch stored later, signed as any other, is no offer.
    {
        std::lock_guard<std::mutex> lock(service.store.mutex);
        const std::string digest = hashString("build 0.2");
        Statement s(service.store, "INSERT INTO patches(kind, version, size, digest, signature, data) "
                                   "VALUES('update', '0.2.0', 9, ?1, ?2, 'build 0.2')");
        s.bind(1, digest).bind(2, signPatchStatement(patchStatement("update", "0.2.0", "9", digest), key)).step();
        ASSERT_TRUE(s.ok());
    }
    // offer-patch refuses what would change the offer for no game, or be no patch a game takes.
    struct Refusal {
        std::string kind, version, bytes, key, reason;
    };
    for (const Refusal& r : std::vector<Refusal>{
             {"update", "0.3", "build 0.3, mended", key, "not newer than 0.3"},
             {"update", "0.3.0", "x", key, "not newer than 0.3"},
             {"update_exe", "0.2.9", "x", key, "not newer than 0.3"},
             {"update", "0.x", "x", key, "no version"},
             {"patch", "1", "x", key, "no patch kind"},
             {"update", "1", "", key, "1 to 268435456 bytes"},
             {"update", "1", "x", servicePrivateKeyPem(), "no Ed25519 private key"}}) {
        std::string error;
        EXPECT_EQ(offerPatch(service.context, r.kind, r.version, r.bytes, r.key, &error), -1) << r.version;
        EXPECT_NE(error.find(r.reason), std::string::npos) << error;
    }
    std::string error;
    EXPECT_EQ(offerPatch(service.context, "update", "1", std::string(maxPatchBytes + 1, 'x'), key, &error), -1)
        << "larger than a game downloads";
    EXPECT_NE(error.find("not 268435457"), std::string::npos) << error;

    const std::string digest = hashString("build 0.3");
    struct Case {
        std::string gameVersion;
        bool offered;
    };
    for (const Case& c : std::vector<Case>{{"Version 0.1.0", true}, {"Version 0.2", true}, {"Version 0.2.9", true},
                                           {"Version 0.3", false}, {"Version 0.3.0", false}, {"Version 0.10", false},
                                           {"", false}, {"Version 0.1.0-next", false}}) {
        std::vector<std::string> fields = login("quill", "hunter22", c.gameVersion);
        ASSERT_FALSE(fields.empty()) << c.gameVersion;
        if (!c.offered) {
            EXPECT_EQ(fields[0], "success") << c.gameVersion;
            continue;
        }
        EXPECT_EQ(fields, (std::vector<std::string>{"update_exe", "patch.php?id=" + std::to_string(newest), "9",
                                                    digest, "0.3", fields.back()}))
            << c.gameVersion;
        EXPECT_TRUE(verifyPatchStatement(patchStatement("update_exe", "0.3", "9", digest), fields.back(),
                                         patchPublicKeyPem));
    }
    EXPECT_EQ(ask("patch.php?id=" + std::to_string(newest)), "build 0.3");
}

// Older builds stored and signed any number of digits: such an offer, past every ordinary version,
// is no offer, and blocks none that comes after it.
TEST_F(Scripts, AStoredVersionNoGameHoldsBlocksNoLaterOffer)
{
    account("quill");
    {
        std::lock_guard<std::mutex> lock(service.store.mutex);
        const std::string version = "0." + std::string(20, '9'), digest = hashString("typo");
        const std::string statement = "tessarine-patch-1\nkind=update\nversion=" + version + "\nsize=4\nsha256=" +
                                      digest + "\n";
        Statement s(service.store, "INSERT INTO patches(kind, version, size, digest, signature, data) "
                                   "VALUES('update', ?1, 4, ?2, ?3, 'typo')");
        s.bind(1, version).bind(2, digest).bind(3, signPatchStatement(statement, testPatchKey())).step();
        ASSERT_TRUE(s.ok());
    }
    EXPECT_EQ(login("quill", "hunter22")[0], "success");
    std::string error;
    EXPECT_EQ(offerPatch(service.context, "update", "0.9.0", "build 0.9", testPatchKey(), &error), 2) << error;
    EXPECT_EQ(login("quill", "hunter22")[4], "0.9.0");
}

// A database from before signed offers opens, keeps its offers unoffered, and takes new ones. Its
// change is whole or not made: a stop between renaming the column and blanking it left sealed
// digests that read as signatures.
TEST(PatchStore, OffersFromBeforeSignaturesAreNeverOffered)
{
    TempFolder folder{"ts_old_store"};
    const std::string path = folder.path + "/old.db";
    auto change = [&](const char* sql) {
        sqlite3* old = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &old), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(old, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(old);
    };
    change("CREATE TABLE patches(id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, "
           "version TEXT NOT NULL, size INTEGER NOT NULL, digest TEXT NOT NULL, "
           "sealed_digest TEXT NOT NULL, data BLOB NOT NULL); "
           "INSERT INTO patches VALUES(1, 'update', '9', 1, 'x', 'sealed', 'x'); "
           "CREATE TRIGGER halt BEFORE UPDATE ON patches BEGIN SELECT RAISE(ABORT, 'halted'); END;");
    Store store;
    std::string error;
    EXPECT_FALSE(openStore(store, path, &error)) << "stopped between the two steps";
    change("DROP TRIGGER halt;");
    ASSERT_TRUE(openStore(store, path, &error)) << error;
    ScriptContext context{&store, servicePrivateKeyPem(), ""};
    EXPECT_EQ(runScript(context, "login.php", {{"gameversion", "Version 0.1"}}), "fail");
    EXPECT_EQ(offerPatch(context, "update", "0.2", "new", testPatchKey()), 2);
    EXPECT_EQ(runScript(context, "login.php", {{"gameversion", "Version 0.1"}}).rfind("update patch.php?id=2 ", 0), 0u);
    closeStore(store);
}

TEST_F(Scripts, SealedDataIsCheckedBeforeAnyScript)
{
    std::string block(128, 'x');
    std::string valid = sealedData("checkname.php?username=quill");
    for (const std::string& data :
         {std::string(), std::string("abc"), std::string("!!!!"), stripLineBreaks(toBase64(std::string(127, 'a'))),
          stripLineBreaks(toBase64(block)), valid.substr(0, valid.size() - 4),
          sealedData("checkname.php?username=%G1"), sealedData("nothing.php?a=1"), sealedData("")})
        EXPECT_EQ(answerSealed(service, data), "fail") << data;
    EXPECT_EQ(answerSealed(service, valid), "available");
}

// A block put after a sealed request must not tell whether its padding is well-formed: one that
// is not opens, the same way every time, to noise like one that is.
TEST_F(Scripts, BlockPaddingIsNoOracle)
{
    std::string prefix = rsaSeal("which_server.php?a=", 1, publicKey());
    std::string address = ask("which_server.php");
    auto answer = [&](const std::string& block) {
        return answerSealed(service, makeUrlSafe(stripLineBreaks(toBase64(prefix + block))));
    };
    std::mt19937 random(7);
    auto noise = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        return bytes;
    };
    const int blocks = 60;
    int wellPadded = 0, badlyPadded = 0;
    for (int i = 0; i < blocks; ++i) {
        wellPadded += answer(rsaPublicEncrypt(noise(1 + random() % 117), publicKey())) == address;
        // Random blocks, as an attacker sends them, are next to never well padded; a zero first
        // byte keeps them below the modulus.
        std::string block = '\0' + noise(127);
        std::string reply = answer(block);
        EXPECT_EQ(answer(block), reply) << "the same block, the same answer";
        badlyPadded += reply == address;
    }
    EXPECT_GT(wellPadded, blocks / 2);
    EXPECT_GT(badlyPadded, blocks / 2);
    EXPECT_LE(std::abs(wellPadded - badlyPadded), blocks / 5);
}

namespace {

// Runs step while the process can open no more files: its soft limit lowered, every free
// descriptor taken.
void withNoFileToSpare(const std::function<void()>& step)
{
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 4096);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> taken;
    for (int fd; (fd = dup(STDERR_FILENO)) >= 0;)
        taken.push_back(fd);
    const int reason = errno;
    if (reason == EMFILE)
        step();
    for (int fd : taken)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(reason, EMFILE);
}

}

TEST_F(Scripts, LogKeepsTheFieldsInOrderWithPasswordsMasked)
{
    std::string request = buildRequest("reg.php?beta=1", {{"&username=", "quill"}, {"&passwordHash=", hashString("pw")},
                                                           {"&password=", "p&w"}, {"&email=", "q@x.org"}});
    ask(request);
    ask("logout.php?beta2=1&userid=1&playhash=ab");
    ask("login.php?username=q&pass%77ord=secret&%70asswordHash=x&playhash=");
    // Whatever a request holds, it stays on one line that no one can mistake for another; and it is
    // kept when the service has no file to spare, as under a crowd of connections.
    const std::string data = sealedData("checkname.php?username=x\nreg.php?beta=1&username=admin\r\x1b[2J\\x0a\x7f\xc3\xa9");
    withNoFileToSpare([&] { answerSealed(service, data); });
    const std::vector<std::string> expected = {
        "reg.php?beta=1&username=quill&passwordHash=***&password=***&email=q%40x.org",
        "logout.php?beta2=1&userid=1&playhash=***",
        "login.php?username=q&pass%77ord=***&%70asswordHash=***&playhash=",
        "checkname.php?username=x\\x0areg.php?beta=1&username=admin\\x0d\\x1b[2J\\x5cx0a\\x7f\\xc3\\xa9"};
    EXPECT_EQ(standInLog(service), expected);
    std::ifstream file(folder.path + "/requests.log");
    std::string line;
    for (const std::string& want : expected) {
        ASSERT_TRUE(std::getline(file, line));
        EXPECT_EQ(line, want);
    }
    EXPECT_FALSE(std::getline(file, line)) << line;
}

// Both hold what players send: new ones are made the owner's only, and so are those that older
// builds left readable by all.
TEST_F(Scripts, DatabaseAndLogAreTheOwnersOnly)
{
    const std::vector<std::string> files = {databasePath(), folder.path + "/requests.log"};
    auto expectOwnersOnly = [&](const char* when) {
        for (const std::string& path : files) {
            struct stat info {};
            ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
            EXPECT_EQ(info.st_mode & 0777, 0600u) << path << when;
        }
    };
    stopStandIn(service);
    std::remove(databasePath().c_str());
    mode_t before = umask(022);
    startService();
    ask("checkname.php?username=quill");
    expectOwnersOnly(" made new");
    stopStandIn(service);
    for (const std::string& path : files)
        ASSERT_EQ(chmod(path.c_str(), 0644), 0) << path;
    startService();
    umask(before);
    expectOwnersOnly(" left readable by all");
}

TEST_F(Scripts, StateSurvivesARestart)
{
    Account a = account("quill");
    ask("client_cheeve.php?userid=" + a.id + "&passwordHash=" + a.hash + "&cheeve=zenmaster");
    score(a, 5, 1, 5000, 4);
    stopStandIn(service);
    startService();
    EXPECT_EQ(login("quill", "hunter22")[0], "success");
    EXPECT_EQ(ask("sync_cheeves.php?userid=" + a.id + "&passwordHash=" + a.hash), "22");
    EXPECT_EQ(ranking(5, 0), "5 ROWS 1\r\n5,quill,1,50," + a.id + ",1\r\n");
}

namespace {

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

CURLcode fetch(const std::string& url, std::string* body, long seconds = 5)
{
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, body);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, seconds);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    CURLcode code = curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    return code;
}

}

TEST_F(Scripts, ServesItsPagesOnLoopbackOnly)
{
    std::string port = std::to_string(service.port);
    for (const char* page : {"twitter.html", "facebook.html", "contact.html", "retrieve.html"}) {
        std::string body;
        EXPECT_EQ(fetch("http://127.0.0.1:" + port + "/" + page, &body), CURLE_OK);
        EXPECT_EQ(body.compare(0, 6, "<html>"), 0) << page;
    }
    // Another loopback address reaches every socket bound to all addresses, not this one.
    std::string body;
    EXPECT_EQ(fetch("http://127.0.0.2:" + port + "/contact.html", &body), CURLE_COULDNT_CONNECT);
    body.clear();
    EXPECT_EQ(fetch(url("checkname.php?username=x"), &body), CURLE_OK);
    EXPECT_EQ(body, "available");
}

// A patch is sent from a copy of it, in pieces: every download, at once or after, is the stored
// patch byte for byte, and one that is not stored is "fail" as before.
TEST_F(Scripts, DownloadedPatchesAreTheStoredBytes)
{
    std::string body;
    for (const char* missing : {"patch.php?id=9", "patch.php?id=0", "patch.php?id=x", "patch.php"}) {
        body.clear();
        EXPECT_EQ(fetch(url(missing), &body), CURLE_OK) << missing;
        EXPECT_EQ(body, "fail") << missing;
    }
    std::mt19937 random(32);
    std::string bytes((std::size_t(3) << 20) + 12345, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    const std::string patch = url("patch.php?id=" + std::to_string(offerPatch(service.context, "update", "0.2",
                                                                              bytes, testPatchKey())));
    std::vector<std::string> bodies(4);
    std::vector<CURLcode> codes(bodies.size());
    std::vector<std::thread> downloads;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        downloads.emplace_back([&, i] { codes[i] = fetch(patch, &bodies[i], 60); });
    for (std::thread& d : downloads)
        d.join();
    bodies.emplace_back();
    codes.push_back(fetch(patch, &bodies.back(), 60));
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        EXPECT_EQ(codes[i], CURLE_OK) << i;
        EXPECT_EQ(bodies[i].size(), bytes.size()) << i;
        EXPECT_TRUE(bodies[i] == bytes) << "download " << i << " is not the patch";
    }
}

// A fault that answers in the script's place keeps the script from running at all.
TEST_F(Scripts, FaultsThatReplaceTheReplyRunNoScript)
{
    Account a = account("quill");
    std::string death = url("death.php?gamemode=2&level=1&score=10&time=12.5&userid=" + a.id +
                            "&passwordHash=" + a.hash);
    auto deaths = [&] {
        std::lock_guard<std::mutex> lock(service.store.mutex);
        Statement s(service.store, "SELECT COUNT(*) FROM deaths");
        return s.step() ? s.integer(0) : -1;
    };
    for (const auto& [fault, recorded] : std::vector<std::pair<std::string, int>>{
             {"status:500*1", 0}, {"garbage:64*1", 0}, {"empty*1", 0}, {"redirect*1", 1}, {"delay:1*1", 1},
             {"chunks:1*1", 1}}) {
        ASSERT_TRUE(setStandInFault(service, "death=" + fault));
        auto before = deaths();
        std::string body;
        EXPECT_EQ(fetch(death, &body), CURLE_OK) << fault;
        EXPECT_EQ(deaths() - before, recorded) << fault;
    }
}

// A held answer goes out once the faults are cleared, however long that takes, and not before.
TEST_F(Scripts, HeldAnswersGoOutWhenTheFaultsAreCleared)
{
    holdStandInAnswers(service, "checkname.php", 2);
    std::string early;
    EXPECT_EQ(fetch(url("checkname.php?username=x"), &early, 1), CURLE_OPERATION_TIMEDOUT);
    std::string released;
    CURLcode code = CURLE_FAILED_INIT;
    std::thread asker([&] { code = fetch(url("checkname.php?username=x"), &released, 60); });
    auto held = [&] {
        std::lock_guard<std::mutex> lock(service.mutex);
        return service.faults.empty();   // the second request took the last hold
    };
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         !held() && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(held());
    clearStandInFaults(service);
    asker.join();
    EXPECT_EQ(code, CURLE_OK);
    EXPECT_EQ(released, "available");
    EXPECT_EQ(early, "");
}

namespace {

// Sends one more byte of a request that never ends on each connection every 200 ms, from the
// moment it is added until the trickle is destroyed, which closes them.
struct Trickle {
    std::mutex mutex;
    std::vector<int> sockets;
    std::atomic<bool> stop{false};
    std::thread thread{[this] {
        while (!stop) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                for (int s : sockets)
                    ::send(s, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }};
    void add(int s)
    {
        std::lock_guard<std::mutex> lock(mutex);
        sockets.push_back(s);
    }
    ~Trickle()
    {
        stop = true;
        thread.join();
        for (int s : sockets)
            ::close(s);
    }
};

// The seconds after start at which the service closed each connection; -1 for those still open
// after 8 s.
std::vector<double> closingTimes(const std::vector<int>& sockets, std::chrono::steady_clock::time_point start)
{
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    std::vector<double> closed(sockets.size(), -1.0);
    for (std::size_t open = sockets.size(); open > 0 && seconds() < 8;) {
        std::vector<pollfd> ready;
        for (int s : sockets)
            ready.push_back({s, POLLIN, 0});
        ::poll(ready.data(), ready.size(), 20);
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            char bytes[256];
            if (closed[i] < 0 && ready[i].revents && ::recv(sockets[i], bytes, sizeof bytes, MSG_DONTWAIT) <= 0) {
                closed[i] = seconds();
                --open;
            }
        }
    }
    return closed;
}

}

// A request must be whole within a deadline, however slowly its bytes come: connections that send
// nothing, half a request line, or headers a byte at a time are closed once it has passed, and so
// are those that send nothing more, or half a request, after an answer. The
// service waits 2 s; the bound is generous, but a time-out per read never ends a trickle at all.
TEST_F(Scripts, ConnectionsWithoutAWholeRequestAreClosedAtTheirDeadline)
{
    auto start = std::chrono::steady_clock::now();
    // After a whole request and its answer, the next request's wait begins.
    const std::string whole = "GET /contact.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const std::vector<std::string> firsts = {"", "GET /secure.php?da", whole, whole + "GET /contact.html HTTP/1.1\r\n",
                                             "GET /contact.html HTTP/1.1\r\nX-Slow: "};
    std::vector<int> peers;
    for (const std::string& first : firsts) {
        peers.push_back(connectToLoopback(service.port));
        ASSERT_GE(peers.back(), 0);
        ASSERT_EQ(::send(peers.back(), first.data(), first.size(), MSG_NOSIGNAL), static_cast<ssize_t>(first.size()));
    }
    Trickle trickle;
    trickle.add(::dup(peers.back()));
    std::vector<double> closed = closingTimes(peers, start);
    for (std::size_t i = 0; i < peers.size(); ++i) {
        EXPECT_GE(closed[i], 0) << "still open after 8 s: " << firsts[i];
        EXPECT_LT(closed[i], 3.5) << firsts[i];
        ::close(peers[i]);
    }
}

// More connections than the service has workers, each sending a byte now and then, hold a real
// request no longer than their deadline: it waited for the whole attack while each read had a
// time-out of its own. Those that wait for a worker wait within their deadline, not before it.
TEST_F(Scripts, TricklingConnectionsDoNotStallARealRequest)
{
    auto start = std::chrono::steady_clock::now();
    std::vector<int> slow;
    Trickle trickle;
    for (int i = 0; i < 100; ++i) {
        slow.push_back(connectToLoopback(service.port));
        ASSERT_GE(slow.back(), 0);
        trickle.add(slow.back());
    }
    std::string body;
    // Generous: the answer comes once the first connections' deadline (2 s) has passed.
    EXPECT_EQ(fetch(url("checkname.php?username=x"), &body, 10), CURLE_OK);
    EXPECT_EQ(body, "available");
    std::vector<double> closed = closingTimes(slow, start);
    EXPECT_LT(*std::max_element(closed.begin(), closed.end()), 3.5);
    EXPECT_GE(*std::min_element(closed.begin(), closed.end()), 0) << "still open after 8 s";
}

TEST_F(Scripts, ASecondServiceDoesNotShareThePort)
{
    TempFolder other{"ts_stand_in"};
    StandIn second;
    StandInOptions options;
    options.databasePath = other.path + "/service.db";
    options.port = service.port;
    std::string error;
    EXPECT_FALSE(startStandIn(second, options, &error));
    EXPECT_NE(error.find(std::to_string(service.port)), std::string::npos) << error;
    EXPECT_EQ(ask("checkname.php?username=x"), "available");
}

TEST(StandInFaults, SpecsNameAScriptAKindAValueAndACount)
{
    StandIn service;
    for (const char* good : {"login=delay:7000", "login.php=status:500*1", "news=chunks:20*3", "highscore=empty",
                             "patch=stall:1"})
        EXPECT_TRUE(setStandInFault(service, good)) << good;
    EXPECT_EQ(service.faults.size(), 4u) << "login and login.php are one script";
    EXPECT_EQ(service.faults["news.php"].remaining, 3);
    for (const char* bad : {"login", "login=slow", "login=status:99", "login=delay:x", "login=delay:5*0"})
        EXPECT_FALSE(setStandInFault(service, bad)) << bad;
}

// Whatever arrives as data, the service answers and goes on.
TEST_F(Scripts, FuzzedDataNeverBreaksTheService)
{
    std::mt19937 random(20240615);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_=+/%&?\r\n \x01\xff";
    for (int i = 0; i < 2000; ++i) {
        std::string data(random() % 700, ' ');
        for (char& c : data)
            c = alphabet[random() % alphabet.size()];
        if (i % 3 == 0)   // whole blocks of noise
            data = stripLineBreaks(toBase64(std::string(128 * (1 + random() % 3), static_cast<char>(random()))));
        answerSealed(service, data);
    }
    const char* scripts[] = {"login.php", "reg.php", "score.php", "death.php", "highscore.php", "client_cheeve.php",
                             "sync_cheeves.php", "world_ranking_staggered.php", "checkname.php", "logout.php",
                             "patch.php", "news.php", "which_server.php"};
    const char* keys[] = {"username", "password", "passwordHash", "userid", "gamemode", "level", "score",
                          "performance", "offset", "cheeve", "id", "email", "playhash", ""};
    for (int i = 0; i < 150; ++i) {
        std::string text = scripts[random() % 13];
        text += '?';
        for (int f = random() % 8; f > 0; --f) {
            text += keys[random() % 14];
            text += random() % 5 ? "=" : "";
            for (int n = random() % 12; n > 0; --n)
                text += static_cast<char>(random() % 4 ? '0' + random() % 10 : random() & 0xff);
            text += '&';
        }
        std::string reply = answerSealed(service, sealedData(text));
        EXPECT_LE(reply.size(), 4096u);
    }
    EXPECT_EQ(answerSealed(service, sealedData("checkname.php?username=after")), "available");
}
