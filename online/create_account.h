// The new-profile page's update: the name check, the registration and the e-mail paste.
#pragma once
#include <string>

// The new-profile page's fields beside the profile's name and password (engine/config.h).
extern std::string email;
extern std::string retypedPassword;

// The name check (panel 7) and the registration (panel 10) go through the queue (kinds
// rk::NameCheck and rk::Registration, 5 s): the page keeps drawing its waiting text meanwhile.
// Set while one of them is on its way.
extern bool accountRequestSent;
// Their answers; each is read only while its panel is still up.
void handleNameCheckReply(int resultCode, const std::string& reply);
void handleRegistrationReply(int resultCode, const std::string& reply);

// The clipboard's text as the e-mail field takes it: printable ASCII only, trimmed, no longer
// than typing would let it grow (254 characters at most).
std::string pastedEmail(const std::string& clipboard);

// Per-frame update of the new-profile page (22).
void UpdateCreateAcc();
