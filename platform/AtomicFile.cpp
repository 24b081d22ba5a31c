#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const auto fail = [&path](int error) {
        throw EFileWriteError(FormatMessage("Cannot write %s: %s", {path, std::strerror(error)}));
    };
    if (path.empty()) fail(ENOENT);

    std::error_code ec;
    fs::path target = path;
    // Replace the file a link points to, not the link.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec) fail(ec.value());
        target = resolved;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) fail(EISDIR);
    if (exists && !S_ISREG(old.st_mode)) fail(EINVAL);
    // The rename would replace a file the user may not change.
    if (exists && ::access(target.c_str(), W_OK) != 0) fail(errno);

    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) fail(errno);
    int error = 0;
    for (std::size_t done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    const auto note = [&error](bool ok) {
        if (!ok && error == 0) error = errno != 0 ? errno : EIO;
    };
    if (exists) {
        note(::fchmod(fd, old.st_mode & 07777) == 0);
        if (::geteuid() == 0) note(::fchown(fd, old.st_uid, old.st_gid) == 0);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        note(::fchmod(fd, 0666 & ~mask) == 0);
    }
    note(::fsync(fd) == 0);
    note(::close(fd) == 0);
    if (error == 0) note(::rename(temp.c_str(), target.c_str()) == 0);
    if (error != 0) {
        ::unlink(temp.c_str());
        fail(error);
    }
}
