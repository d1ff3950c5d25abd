// The login page's update (server choice, the login request, its buttons) and logout.
#pragma once
#include <string>

extern bool loginRequestSent;   // the login of the current attempt has been sent
extern int blockingResult;      // libcurl's result of the last blocking request

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

// Sends the blocking logout request (its failure only delays the exit) and ends the program
// after the current frame.
void logout();

// The prefix a "which_server.php" reply names, or "" when the reply is no such prefix: trimmed,
// "http://" or "https://", no blank or control character, ending in "secure.php?data=".
std::string serverPrefixFrom(const std::string& reply);
// The login request of the typed or stored profile, with the machine's description.
std::string loginRequestText();

// Per-frame update of the login page (27).
void UpdateLogin(float dtMs);
