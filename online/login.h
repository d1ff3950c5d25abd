// Login, account creation and logout.
// The login and create-account pages' updates are placeholders until those pages are written.
#pragma once
#include <string>

extern bool loginRequestSent;   // the login of the current attempt has been sent
extern bool loginAnswered;      // the login of the current attempt has had its reply
extern bool credentialsUnsaved; // the profile's name and password are not in the settings yet
extern int blockingResult;      // libcurl's result of the last blocking request
// The new-profile page's fields beside the profile's name and password (engine/config.h).
extern std::string email;
extern std::string retypedPassword;

// Sends the blocking logout request (its failure only delays the exit) and ends the program
// after the current frame.
void logout();

// Per-frame updates of the login page (27) and the new-profile page (22).
void UpdateLogin(float dtMs);
void UpdateCreateAcc(float dtMs);
