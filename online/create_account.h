// The new-profile page's update: the name check, the registration and the e-mail paste.
#pragma once
#include <string>

// The new-profile page's fields beside the profile's name and password (engine/config.h).
extern std::string email;
extern std::string retypedPassword;

// The name check (panel 7) and the registration (panel 10) go through the queue (kinds
// rk::NameCheck and rk::Registration, 5 s): the page keeps drawing its waiting text meanwhile,
// and the reply dispatch (online/replies.h) moves it on.

// The clipboard's text as the e-mail field takes it: printable ASCII only, trimmed, no longer
// than typing would let it grow (254 characters at most).
std::string pastedEmail(const std::string& clipboard);

// Per-frame update of the new-profile page (22).
void UpdateCreateAcc();
