#pragma once

#include <string>

// What a failure flag of CVODE (or CVODES) means, as a message says it: the
// usual ones in words, the rest by the library's own name.
std::string CvodeFlagReason(int flag);
