// The login page's update (server choice, the login request, its buttons) and logout.
#pragma once
#include <string>

extern bool loginRequestSent;   // the login of the current attempt has been sent
extern std::string loginReply;  // the login's reply, handled by the reply dispatch
extern int loginRetries;        // login transport failures so far
// The name of the last login the service accepted, "" before one: the name being typed, or one
// that failed to log in or to register, is not the player's.
extern std::string loggedInName;
extern int blockingResult;      // libcurl's result of the last name check, registration or logout

// The server choice: "which_server.php" goes through the queue (kind rk::ServerChoice, 30 s), so
// the page asking keeps drawing while it waits. One choice is in flight at a time; its answer
// (libcurl's result and the reply) goes to every function given while it was, once each, in the
// order they were first given. Without a multi handle nothing can be sent, and the answer is a
// failure at once.
extern std::string serverChoiceReply;
extern bool serverChoicePending;
void askServerChoice(void (*answered)(int resultCode, const std::string& reply));
// Kind 10: the choice's answer.
void handleServerChoiceReply(int resultCode, const std::string& reply);

// Ends the program: the main loop stops at the quit message and makes no new window. The logout
// request goes through the queue (kind rk::Logout) and the quit message follows its answer, or
// its failure within a second, so the window keeps drawing meanwhile. In Offline Mode there is no
// session to end: nothing is sent and the quit message is posted at once. Further calls while the
// logout is on its way send nothing more.
extern bool logoutPending;
void logout();
// Kind 13: the logout's answer, whatever it is, lets the program end.
void handleLogoutReply(int resultCode);

// The prefix a "which_server.php" reply names, or "" when the reply is no such prefix: trimmed,
// "http://" or "https://", no blank or control character, ending in "secure.php?data=".
std::string serverPrefixFrom(const std::string& reply);
// The login request of the typed or stored profile, with the machine's description.
std::string loginRequestText();

// Per-frame update of the login page (27).
void UpdateLogin(float dtMs);
