#pragma once

#include "Exception.h"

// The graph could not be printed, copied or saved: no page, no area to draw,
// or a file that could not be written.
class EGraphOutputError : public Exception {
    using Exception::Exception;
};
