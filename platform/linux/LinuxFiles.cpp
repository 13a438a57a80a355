#include "platform/Files.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool isLink(const std::string& path)
{
    struct stat entry
    {
    };
    return lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

bool replaceFile(const std::string& path, const std::string& content)
{
    // A fresh name of its own beside the file: nothing that happens to lie there, a link
    // planted in the way included, is written through.
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        return false;
    }
    // mkstemp makes the file private; a file it replaces keeps the permission bits it had
    // (a link's target's, which is what was read and written through the link).
    struct stat existing
    {
    };
    const bool kept = stat(path.c_str(), &existing) != 0 || fchmod(descriptor, existing.st_mode & 0777) == 0;
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(descriptor, content.data() + written, content.size() - written);
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    // On disk before the rename, so a crash leaves the old file or the new one.
    const bool complete = kept && written == content.size() && fsync(descriptor) == 0;
    const bool closed = close(descriptor) == 0;
    if (!complete || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace platform
