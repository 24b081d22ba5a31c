#include "AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The temporary a write of `target` makes: "." + its name + "." + six characters.
std::string TemporaryPattern(const fs::path& target) {
    return "." + target.filename().string() + ".XXXXXX";
}

// Temporaries of `target` left by a writer that was killed between writing
// and renaming. One younger than this may belong to a write under way.
constexpr auto kStaleAfter = std::chrono::minutes(10);

void RemoveStaleTemporaries(const fs::path& folder, const fs::path& target) {
    const std::string pattern = TemporaryPattern(target);
    const std::string prefix = pattern.substr(0, pattern.size() - 6);
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != pattern.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code e;
        if (!it->is_regular_file(e) || it->is_symlink(e)) continue;
        const auto written = it->last_write_time(e);
        if (!e && now - written > kStaleAfter) fs::remove(it->path(), e);
    }
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const auto fail = [&path](int error) {
        throw EFileWriteError(FormatMessage("Cannot write %s: %s", {path, std::strerror(error)}));
    };
    if (path.empty()) fail(ENOENT);

    // A link in the file's place is replaced itself, never followed: a link
    // planted in a shared folder must not turn a write into one of its target.
    const fs::path target = path;
    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    const bool link = exists && S_ISLNK(old.st_mode);
    if (exists && S_ISDIR(old.st_mode)) fail(EISDIR);
    if (exists && !link && !S_ISREG(old.st_mode)) fail(EINVAL);
    // The rename would replace a file the user may not change.
    if (exists && !link && ::access(target.c_str(), W_OK) != 0) fail(errno);

    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    RemoveStaleTemporaries(folder, target);
    std::string temp = (folder / TemporaryPattern(target)).string();
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
    if (exists && !link) {
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
