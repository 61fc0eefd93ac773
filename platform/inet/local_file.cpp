#include "platform/inet/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

FileStream OpenUploadSource(const std::filesystem::path& path)
{
    // Non-blocking, so that opening a pipe does not wait for a writer; the
    // flag is cleared again for the regular file that remains.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat status {};
    const int flags = fcntl(descriptor, F_GETFL);
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    FileStream stream(fdopen(descriptor, "rb"));
    if (!stream) close(descriptor);
    return stream;
}

bool IsDownloadTarget(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    if (!std::filesystem::is_directory(directory, error)) return false;
    const std::filesystem::file_status target = std::filesystem::symlink_status(path, error);
    if (target.type() == std::filesystem::file_type::not_found) return true;
    return !error && target.type() == std::filesystem::file_type::regular;
}
