// The login page's update and the new-profile page's against the stand-in, with the settings in
// the test's folder.
#include "online_fixture.h"

#include "crypto/digest.h"
#include "engine/fonts.h"
#include "engine/main.h"
#include "engine/window.h"
#include "engine/startup.h"
#include "engine/textures.h"
#include "game/intro.h"
#include "game/layout.h"
#include "game/page_buttons.h"
#include "platform/messages.h"

#include <algorithm>

namespace {

void fixedFont(Font& font, float height, float advance)
{
    font = Font();
    font.height = height;
    font.initialised = true;
    for (float& w : font.glyphWidths)
        w = advance;
}

struct Accounts : OnlineTest {
    Font savedMedium = mediumFont, savedSmall = smallFont;

    void SetUp() override
    {
        OnlineTest::SetUp();
        screenWidth = 1680;
        screenHeight = 1050;
        mediumFont.height = 27.0f;
        smallFont.height = 14.0f;
    }
    void TearDown() override
    {
        mediumFont = savedMedium;
        smallFont = savedSmall;
        email.clear();
        retypedPassword.clear();
        OnlineTest::TearDown();
    }
    void makeProfile(const std::string& name, const std::string& pw)
    {
        std::string reply = runScript(service.context, "reg.php",
                                      {{"username", name}, {"password", pw}, {"passwordHash", hashString(pw)},
                                       {"email", "q@x.org"}});
        ASSERT_EQ(reply.compare(0, 8, "success "), 0) << reply;
    }
    // The player's attempt as Enter on the password leaves it, once the page has shown it.
    void startAttempt(const std::string& name, const std::string& pw)
    {
        username = name;
        playerPassword = pw;
        gameState = gs::Login;
        popupId = 12;
        loginRequestSent = false;
    }
    static int sent(int kind)
    {
        return static_cast<int>(
            std::count_if(requests.begin(), requests.end(), [kind](auto& r) { return r.kind == kind; }));
    }
    // Frames of the login page until the condition holds.
    bool loginFrames(const std::function<bool()>& done)
    {
        return pumpUntil([&] {
            UpdateLogin(16.0f);
            return done();
        });
    }
    // Frames of the new-profile page until the step's panel gives way.
    bool createFrames(int panel)
    {
        return pumpUntil([panel] {
            UpdateCreateAcc();
            return popupId != panel;
        });
    }
};

int earlierAsked = 0;
void earlierAsker(int, const std::string&)
{
    ++earlierAsked;
}

} // namespace

TEST_F(Accounts, StoredProfileAsksTheServerAndLogsInOnce)
{
    makeProfile("quill", "pw12");
    {
        std::lock_guard<std::mutex> lock(service.store.mutex);
        Statement news(service.store, "INSERT INTO news(text) VALUES('Season two')");
        news.step();
    }
    startAttempt("quill", "pw12");
    ASSERT_TRUE(loginFrames([] { return gameState == gs::LoginToMenu; }));
    EXPECT_EQ(sent(rk::Login), 1);
    const std::vector<std::string> log = standInLog(service);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "which_server.php");
    EXPECT_EQ(log[1], "login.php?version=rc2&build=direct&platform=&username=quill&password=***&glversion=&"
                      "videocard=&manufacturer=&res=1680x1050&gameversion=&os=&ram=&cpu=&mac=");
    EXPECT_EQ(sent(rk::AchievementSync), 1);
    EXPECT_EQ(sent(rk::News), 1);
}

// With the service gone the attempt is sent four times, then the game plays offline; the player's
// next Enter on the password is a new attempt, not a "Logging In" that never ends.
TEST_F(Accounts, RefusedLoginGoesOfflineAndEnterTriesAgain)
{
    stopStandIn(service);
    startAttempt("quill", "pw12");
    ASSERT_TRUE(loginFrames([] { return popupId == 11; }));
    EXPECT_EQ(sent(rk::Login), 4);
    EXPECT_EQ(offlineMode, 99);
    EXPECT_EQ(loginRetries, 3);

    popupId = 12;
    loginRequestSent = false;
    UpdateLogin(16.0f);
    EXPECT_TRUE(loginRequestSent);
    ASSERT_TRUE(pumpUntil([] { return sent(rk::Login) == 5; }));
    EXPECT_EQ(offlineMode, 0);
    EXPECT_EQ(loginRetries, 0);
}

// The server choice goes through the queue: the page's frames go on (its dots move) while the
// service takes its time, and the login follows the answer.
TEST_F(Accounts, NoLoginFrameWaitsForTheServerChoice)
{
    makeProfile("quill", "pw12");
    holdStandInAnswers(service, "which_server.php", 1);
    startAttempt("quill", "pw12");
    connectingDotsTimer = 0.0f;
    for (int frame = 0; frame < 3; ++frame) {
        curlprocess();
        UpdateLogin(16.0f);
    }
    EXPECT_TRUE(serverChoicePending && sent(rk::Login) == 0) << "every frame came back before the answer";
    EXPECT_FLOAT_EQ(connectingDotsTimer, 48.0f);
    EXPECT_EQ(requests[0].timeoutSeconds, 30);
    clearStandInFaults(service);
    ASSERT_TRUE(loginFrames([] { return gameState == gs::LoginToMenu; }));
    EXPECT_EQ(sent(rk::ServerChoice), 1);
    EXPECT_EQ(sent(rk::Login), 1);
}

// Without a stored name the intro asks whether the service is there; its title stays up while
// the answer is on its way, and the answer decides the page.
TEST_F(Accounts, NoIntroFrameWaitsForTheServerChoice)
{
    const std::string here = secureUrl;
    for (bool reachable : {true, false}) {
        secureUrl = reachable ? here : "http://127.0.0.1:1/secure.php?data=";
        ASSERT_TRUE(setStandInFault(service, "which_server=delay:1500*1"));
        resetTextures();
        textures.push_back(TextureRecord());
        textures.back().name = introTitleTexture;
        startupPhase = 2;
        introAssetsLoaded = true;
        introTimer = introLength;
        gameState = gs::Intro;
        UpdateIntro(16.0f);
        EXPECT_TRUE(gameState == gs::Intro && serverChoicePending) << "the frame came back before the answer";
        ASSERT_TRUE(pumpUntil([] {
            if (gameState == gs::Intro)
                UpdateIntro(16.0f);
            return gameState != gs::Intro;
        }));
        EXPECT_EQ(gameState, reachable ? gs::IntroToNewProfile : gs::IntroToLogin);
        EXPECT_EQ(offlineMode, reachable ? 0 : 99);
    }
    EXPECT_EQ(sent(rk::ServerChoice), 2);
    secureUrl = here;
    resetTextures();
    startupPhase = 0;
}

TEST_F(Accounts, ServerChoiceTakesOnlyAnAddressPrefix)
{
    const std::string here = secureUrl;
    const std::string other = "http://localhost:" + std::to_string(service.port) + "/secure.php?data=";
    const std::pair<std::string, std::string> cases[] = {
        {"abcd", here}, {"abcde", here}, {"", here},   // "" : the service's 404 page
        {other + "\r\n", other}, {" " + other + "x", here}, {"ftp://h/secure.php?data=", here},
        {"http://h /secure.php?data=", here},
    };
    for (const auto& [reply, expected] : cases) {
        secureUrl = here;
        if (reply.empty())
            setStandInFault(service, "which_server=status:404*1");
        else
            setStandInReply(service, "which_server.php", reply, 1);
        startAttempt("quill", "pw12");
        UpdateLogin(16.0f);
        ASSERT_TRUE(pumpUntil([] { return !serverChoicePending; }));
        EXPECT_EQ(secureUrl, expected) << reply;
        ASSERT_TRUE(pumpUntilIdle());
    }
    EXPECT_EQ(sent(rk::Login), 7);   // the login goes out whatever the choice
    EXPECT_EQ(serverPrefixFrom("https://h.org/x/secure.php?data=\n"), "https://h.org/x/secure.php?data=");
}

TEST_F(Accounts, LoginPanelsButtonsAndDots)
{
    loginRequestSent = true;   // nothing is sent from here
    popupId = 12;
    connectingDotsTimer = 3990.0f;
    hoveredButton = 5;
    UpdateLogin(20.0f);
    EXPECT_FLOAT_EQ(connectingDotsTimer, 10.0f);
    EXPECT_EQ(hoveredButton, 5);   // panel 12 leaves it

    const struct {
        int popup;
        LayoutRect box;
        int button;
    } cases[] = {
        {11, menuButtonRect(4.0f), 1}, {11, menuButtonRect(3.0f), 2},   // the lower bar is button 1 here
        {1, entryButtonRect(3.0f), 1}, {2, entryButtonRect(4.0f), 2}, {14, menuButtonRect(1.0f), 1},
        {14, menuButtonRect(3.0f), 0}, {13, menuButtonRect(1.0f), 0},
    };
    for (const auto& c : cases) {
        popupId = c.popup;
        mouseX = static_cast<int>((c.box.left + c.box.right) / 2.0f);
        mouseY = static_cast<int>((c.box.top + c.box.bottom) / 2.0f);
        UpdateLogin(16.0f);
        EXPECT_EQ(hoveredButton, c.button) << c.popup;
    }
    // The entry panels' boxes sit (u - s) / 2.75 lower than the bars.
    EXPECT_NEAR(entryButtonRect(3.0f).top - menuButtonRect(3.0f).top, 13.0f / 2.75f, 1e-3);
}

// A page asking while the choice is on its way is answered too, once, whoever asked first: here
// the login page after another asker, and the login then goes out.
TEST_F(Accounts, EveryServerChoiceAskerIsAnswered)
{
    makeProfile("quill", "pw12");
    ASSERT_TRUE(setStandInFault(service, "which_server=delay:500*1"));
    earlierAsked = 0;
    askServerChoice(earlierAsker);
    startAttempt("quill", "pw12");
    UpdateLogin(16.0f);
    askServerChoice(earlierAsker);
    ASSERT_TRUE(loginFrames([] { return gameState == gs::LoginToMenu; }));
    EXPECT_EQ(earlierAsked, 1);
    EXPECT_EQ(sent(rk::ServerChoice), 1);
    EXPECT_EQ(sent(rk::Login), 1);
}

// Quitting: the frames go on while the logout is on its way, a second at the most, and a second
// close sends nothing more; in Offline Mode nothing is sent and the quit message is there at once.
TEST_F(Accounts, QuitWaitsBrieflyForTheLogoutAndNotAtAllOffline)
{
    holdStandInAnswers(service, "logout.php");
    for (int offline : {0, 99}) {
        const std::size_t logged = standInLog(service).size();
        platformClearMessages();
        offlineMode = offline;
        programRunning = true;
        logout();
        if (!offline)
            logout();
        EXPECT_FALSE(programRunning) << "the main loop makes no new window";
        EXPECT_EQ(platformPendingMessages(), offline ? 1 : 0);
        ASSERT_TRUE(pumpUntilIdle());
        EXPECT_EQ(platformPendingMessages(), 1);
        // The service may read the request after the game gave up on it, on a busy machine.
        if (!offline)
            pumpUntil([&] { return standInLog(service).size() > logged; });
        EXPECT_EQ(standInLog(service).size(), logged + (offline ? 0 : 1));
    }
    EXPECT_EQ(standInLog(service).back(), "logout.php?beta2=1&userid=&playhash=");
    ASSERT_EQ(sent(rk::Logout), 1);
    EXPECT_LE(requests[0].timeoutSeconds, 1);
    EXPECT_EQ(blockingResult, CURLE_OPERATION_TIMEDOUT);
}

TEST_F(Accounts, NameCheckAndRegistrationReplies)
{
    makeProfile("taken", "pw12");
    const struct {
        int popup;
        const char* name;
        const char* canned;   // nullptr: the service's own answer
        int next;
    } cases[] = {
        {7, "free", nullptr, 2},      {7, "taken", nullptr, 4}, {7, "free", "available ", 11},
        {7, "free", "error", 11},     {7, "free", "", 11},      {10, "free", "success", 11},
        {10, "free", "error", 11},    {10, "taken", nullptr, 11},
    };
    gameState = gs::NewProfile;
    email = "q@x.org";
    playerPassword = "pw12";
    for (const auto& c : cases) {
        const std::string script = c.popup == 7 ? "checkname.php" : "reg.php";
        if (c.canned)
            setStandInReply(service, script, c.canned, 1);
        username = c.name;
        popupId = c.popup;
        // The page sends once and draws on; the answer comes on a later frame.
        const int kind = c.popup == 7 ? rk::NameCheck : rk::Registration, before = sent(kind);
        UpdateCreateAcc();
        UpdateCreateAcc();
        EXPECT_EQ(popupId, c.popup) << "the frame waited for the answer";
        EXPECT_EQ(sent(kind), before + 1);
        ASSERT_TRUE(createFrames(c.popup));
        EXPECT_EQ(popupId, c.next) << script << " " << c.name << " " << (c.canned ? c.canned : "");
        EXPECT_EQ(gameState, gs::NewProfile);
    }
    EXPECT_TRUE(password.empty());   // no failed registration stored anything
    secureUrl = "http://127.0.0.1:1/secure.php?data=";   // nothing listens
    popupId = 7;
    ASSERT_TRUE(createFrames(7));
    EXPECT_EQ(popupId, 11);
    EXPECT_NE(blockingResult, CURLE_OK);
}

// A registration keeps the service's stored password; after the settings are read again it opens
// to the typed one, and the login page then logs in without a key pressed.
TEST_F(Accounts, RegistrationThenAutomaticLoginAfterARestart)
{
    gameState = gs::NewProfile;
    offlineMode = 99;
    loggedInName = "quill";   // the player before
    email = "new@x.org";
    username = "newbie";
    playerPassword = "pw1234";
    popupId = 10;
    ASSERT_TRUE(createFrames(10));
    EXPECT_EQ(popupId, 13);
    EXPECT_EQ(gameState, gs::NewProfileToLogin);
    EXPECT_EQ(offlineMode, 0);
    EXPECT_FALSE(loginRequestSent);
    EXPECT_EQ(loggedInName, "quill");   // registered is not yet logged in

    username = playerPassword = password = "";
    loadConfig();
    EXPECT_EQ(username, "newbie");
    EXPECT_EQ(playerPassword, "pw1234");
    // A refused login leaves the player before; the new profile's own login replaces it.
    startAttempt("newbie", "wrong");
    ASSERT_TRUE(loginFrames([] { return popupId == 14; }));
    EXPECT_EQ(loggedInName, "quill");
    startAttempt("newbie", "pw1234");
    ASSERT_TRUE(loginFrames([] { return gameState == gs::LoginToMenu; }));
    EXPECT_EQ(loggedInName, "newbie");
}

TEST_F(Accounts, PastedEmailKeepsWhatTypingWould)
{
    fixedFont(mediumFont, 27.0f, 16.0f);   // the 0.5 H field shows 38 characters at 0.75
    const std::string long60(60, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"  q@x.org\r\n", "q@x.org"}, {"q@x\t.org\x7f", "q@x.org"}, {"q\xc3\xa9@x.org", "q@x.org"},
        {long60, long60}, {"", ""},
    };
    for (const auto& [clipboard, expected] : cases)
        EXPECT_EQ(pastedEmail(clipboard), expected) << clipboard;
    EXPECT_EQ(pastedEmail(std::string(400, 'b')).size(), 254u);
}
