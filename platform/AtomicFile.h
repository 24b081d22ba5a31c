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
// half-written file. A link in the file's place is replaced itself, never
// the file it points to; a replaced file keeps its permissions. Temporaries
// of the same file left by a writer killed before its rename (older than ten
// minutes) are removed. Throws EFileWriteError "Cannot write <path>: <reason>".
void WriteFileAtomically(const std::string& path, std::string_view bytes);
