// SPDX-License-Identifier: MIT
#include "files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

FileResult failure(FileStep step, int error)
{
    return FileResult{step, error};
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return 0;
}

// Writes, flushes and closes; the first error wins and the descriptor is
// closed in any case.
int finish(int fd, std::string_view bytes, bool sync, bool truncate)
{
    int error = writeAll(fd, bytes);
    if (error == 0 && truncate && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (error == 0 && sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

unsigned currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Opens a plain file without blocking: a FIFO or a device put in the file's
// place must not hang the program at start or exit. -1 with errno set otherwise.
int openRegularFile(const std::string& path, int flags, struct stat& info, mode_t newFileMode = 0)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, newFileMode);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

// Rewrites the file itself, so its inode, links, owner, group and mode stay.
FileResult rewriteInPlace(const std::string& path, std::string_view bytes, bool sync)
{
    // Something put in the file's place since the first look (a link) must
    // not be written through.
    struct stat info {};
    const int fd = openRegularFile(path, O_WRONLY | O_NOFOLLOW, info);
    if (fd < 0)
        return failure(FileStep::Open, errno);
    // Room for a longer text first: a full disk then fails before a byte of
    // the old content changes. Other answers (a file system that cannot
    // reserve) leave it to the write.
    const auto size = static_cast<off_t>(bytes.size());
    if (size > info.st_size) {
        const int reserved = ::posix_fallocate(fd, 0, size);
        if (reserved == ENOSPC || reserved == EDQUOT) {
            // The library's fallback may have grown the file before it gave up.
            (void)::ftruncate(fd, info.st_size);
            ::close(fd);
            return failure(FileStep::Write, reserved);
        }
    }
    const int error = finish(fd, bytes, sync, true);
    return error == 0 ? FileResult{} : failure(FileStep::Write, error);
}

// Errors of the temporary route that the file itself does not share: the
// folder, the longer name of the temporary, the room for a second copy, or a
// rename that the file's place refuses (a file mounted on its own).
bool mayFallBackInPlace(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENAMETOOLONG:
    case ENOSPC:
    case EDQUOT:
    case EBUSY:
    case EXDEV:
        return true;
    default:
        return false;
    }
}

} // namespace

FileResult replaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options)
{
    const bool follow = options.links == LinkPolicy::Follow;
    std::string target = path;
    struct stat info {};
    bool exists = ::lstat(path.c_str(), &info) == 0;
    const bool isLink = exists && S_ISLNK(info.st_mode);
    if (isLink && follow) {
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved))
            return failure(FileStep::Open, errno);
        target = resolved;
        exists = ::stat(target.c_str(), &info) == 0;
    } else if (isLink) {
        exists = false; // the link itself goes; nothing of it is kept
    }
    if (exists && !S_ISREG(info.st_mode))
        return failure(FileStep::Open, EISDIR);
    // A read-only file says "leave me alone", whatever its folder allows.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return failure(FileStep::Open, errno);
    const bool severalNames = exists && info.st_nlink > 1;
    // Writing in place would write through the other names, which Replace forbids.
    const bool inPlaceAllowed = exists && options.mayWriteInPlace && (follow || !severalNames);
    const auto inPlace = [&] { return rewriteInPlace(target, bytes, options.sync); };
    // A rename would split the file from its other names.
    if (inPlaceAllowed && severalNames)
        return inPlace();

    // The temporary sibling sits in the same folder so the rename below is
    // one step on one file system.
    std::string temporary = folderOf(target) + "/." + nameOf(target) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        const int error = errno;
        if (inPlaceAllowed && mayFallBackInPlace(error))
            return inPlace();
        return failure(FileStep::Create, error);
    }
    const auto abandon = [&](FileStep step, int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure(step, error);
    };
    if (exists) {
        struct stat made {};
        if (::fstat(fd, &made) != 0)
            return abandon(FileStep::Create, errno);
        // Owner first: a change of owner clears set-id bits that the mode restores.
        bool keptOwner = true;
        if ((made.st_uid != info.st_uid || made.st_gid != info.st_gid)
            && ::fchown(fd, info.st_uid, info.st_gid) != 0) {
            // A new file would change hands: keep the old one and write into it.
            if (inPlaceAllowed) {
                ::close(fd);
                ::unlink(temporary.c_str());
                return inPlace();
            }
            keptOwner = false;
        }
        if (::fchmod(fd, info.st_mode & (keptOwner ? 07777 : 0777)) != 0)
            return abandon(FileStep::Create, errno);
    } else if (::fchmod(fd, options.newFileMode & ~currentUmask() & 07777) != 0) {
        return abandon(FileStep::Create, errno);
    }
    const int error = finish(fd, bytes, options.sync, false);
    if (error != 0) {
        ::unlink(temporary.c_str());
        if (inPlaceAllowed && mayFallBackInPlace(error))
            return inPlace();
        return failure(FileStep::Write, error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        if (inPlaceAllowed && mayFallBackInPlace(renameError))
            return inPlace();
        return failure(FileStep::Rename, renameError);
    }
    return {};
}

FileResult readFile(const std::string& path, std::string& bytes)
{
    struct stat info {};
    const int fd = openRegularFile(path, O_RDONLY, info);
    if (fd < 0)
        return failure(FileStep::Open, errno);
    bytes.clear();
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return failure(FileStep::Read, error);
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {};
}

FileResult appendToFile(const std::string& path, std::string_view bytes)
{
    // Open an existing file first, to tell "cannot open" from "cannot create".
    // A FIFO in the log's place would hold the poll in open() for good.
    struct stat info {};
    int fd = openRegularFile(path, O_WRONLY | O_APPEND, info);
    if (fd < 0) {
        // ENOTDIR: a part of the folder is a file, so nothing exists there either.
        if (errno != ENOENT && errno != ENOTDIR)
            return failure(FileStep::Open, errno);
        fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT, info, 0666);
        if (fd < 0)
            return failure(errno == EISDIR ? FileStep::Open : FileStep::Create, errno);
    }
    const int error = finish(fd, bytes, false, false);
    return error == 0 ? FileResult{} : failure(FileStep::Write, error);
}

bool readPrefix(const std::string& path, std::size_t limit, std::string& bytes)
{
    struct stat info {};
    const int fd = openRegularFile(path, O_RDONLY, info);
    if (fd < 0)
        return false;
    bool ok = true;
    bytes.assign(limit, '\0');
    std::size_t got = 0;
    while (ok && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return ok;
}

} // namespace quorvane
