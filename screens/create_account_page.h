// The new-profile page: e-mail, name, password and its retype, the waits and the outcomes.
#pragma once

void renderCreateAcc();
