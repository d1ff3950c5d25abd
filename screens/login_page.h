// The login page: the user-name and password fields, "Logging In", and the outcomes.
#pragma once

void renderLogin();
