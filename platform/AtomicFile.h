#pragma once

#include "Exception.h"

#include <string>
#include <string_view>

// A file could not be written; the message names the file and the reason.
class EFileWriteError : public Exception {
    using Exception::Exception;
};

// Replaces the file `path` by `bytes` in one step: the bytes go to a new file
// beside it, which is then renamed over the old one, so that a reader sees the
// old file or the new one and a failure leaves the old one (or none) and no
// half-written file. A link is followed and the file it points to replaced; a
// replaced file keeps its permissions. Throws EFileWriteError
// "Cannot write <path>: <reason>".
void WriteFileAtomically(const std::string& path, std::string_view bytes);
