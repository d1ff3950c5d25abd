#include "platform/handover.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

const char* platformExecutableSuffix()
{
    return "";
}

bool platformCreateFolders(const std::string& path)
{
    if (path.empty())
        return false;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        size_t next = path.find('/', pos + 1);
        partial = path.substr(0, next);
        pos = next;
        if (partial.empty() || partial == "/")
            continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string platformPatchFolder()
{
    std::string base;
    const char* data = getenv("XDG_DATA_HOME");
    const char* home = getenv("HOME");
    if (data && data[0] == '/')
        base = data;
    else if (home && *home)
        base = std::string(home) + "/.local/share";
    else
        return "";
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    std::string folder = base + "/Quorvane/Tessarine/Patch/";
    return platformCreateFolders(folder) ? folder : "";
}

int platformLaunchProgram(const std::string& path)
{
    if (path.empty())
        return -1;
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return -1;
    // Its own session, so the game's end does not take it along; signals as a fresh program has them,
    // whatever the starter ignored or blocked.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    int rc = posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? int(pid) : -1;
}

bool platformFileExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool platformFileEmpty(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

bool platformWriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

static bool copyBytes(int in, int out)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!platformWriteAll(out, buffer, size_t(n)))
            return false;
    }
}

bool platformCopyFile(const std::string& from, const std::string& to)
{
    int error = 0;
    int in = platformOpenRegularFile(from, O_RDONLY, error);
    if (in < 0)
        return false;
    // O_EXCL: truncating an existing name could cut a file that is linked elsewhere (the game itself).
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = copyBytes(in, out) && fchmod(out, 0755) == 0 && fsync(out) == 0;
    close(in);
    if (close(out) != 0)
        ok = false;
    return ok;
}

bool platformLinkFile(const std::string& from, const std::string& to)
{
    return link(from.c_str(), to.c_str()) == 0;
}

bool platformRenameFile(const std::string& from, const std::string& to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}

bool platformRemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool platformSyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

std::string platformErrorText(int error)
{
    return error == platformNotARegularFile ? "not a regular file" : strerror(error);
}

static int openRegular(const std::string& path, int flags, int& error, struct stat& st)
{
    // O_NONBLOCK only keeps the open from waiting: it means nothing to a regular file.
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        // What a FIFO without a reader, or a socket, says to a writer that will not wait.
        error = errno == ENXIO ? platformNotARegularFile : errno;
        return -1;
    }
    if (fstat(fd, &st) != 0)
        error = errno;
    else if (S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        error = platformNotARegularFile;
    else
        error = 0;
    if (error == 0)
        return fd;
    close(fd);
    return -1;
}

int platformOpenRegularFile(const std::string& path, int flags, int& error)
{
    struct stat st;
    return openRegular(path, flags, error, st);
}

// Reads until the end or a short read, going on after interruptions; the bytes read, -1 on an error.
static ssize_t readSome(int fd, char* buffer, size_t size)
{
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += size_t(n);
    }
    return ssize_t(got);
}

bool platformReadFile(const std::string& path, std::string& bytes, size_t limit, int& error, bool ownerOnly)
{
    bytes.clear();
    struct stat st;
    int fd = openRegular(path, O_RDONLY, error, st);
    if (fd < 0)
        return false;
    if (uint64_t(st.st_size) > limit)
        error = EFBIG;
    char buffer[65536];
    // One byte past the limit tells a file that grew since.
    while (error == 0) {
        size_t left = limit - bytes.size();
        size_t want = left < sizeof buffer ? left + 1 : sizeof buffer;
        ssize_t n = readSome(fd, buffer, want);
        if (n < 0)
            error = errno;
        else if (n == 0)
            break;
        else
            bytes.append(buffer, size_t(n));
        if (bytes.size() > limit)
            error = EFBIG;
    }
    if (error == 0 && ownerOnly && (st.st_mode & 077) != 0)
        fchmod(fd, 0600);
    close(fd);
    if (error != 0)
        bytes.clear();
    return error == 0;
}

bool platformSameFileContents(const std::string& a, const std::string& b)
{
    struct stat stA, stB;
    int error = 0;
    int fdA = openRegular(a, O_RDONLY, error, stA);
    int fdB = fdA < 0 ? -1 : openRegular(b, O_RDONLY, error, stB);
    bool same = fdB >= 0 && stA.st_size == stB.st_size;
    std::vector<char> pieceA(65536), pieceB(65536);
    while (same) {
        ssize_t n = readSome(fdA, pieceA.data(), pieceA.size());
        same = n >= 0 && readSome(fdB, pieceB.data(), pieceB.size()) == n &&
               memcmp(pieceA.data(), pieceB.data(), size_t(n)) == 0;
        if (n <= 0)
            break;
    }
    if (fdA >= 0)
        close(fdA);
    if (fdB >= 0)
        close(fdB);
    return same;
}

bool platformWriteExecutable(const std::string& path, const std::string& bytes)
{
    std::string temporary = path + ".part";
    // A killed earlier write may have left its temporary; O_EXCL below never reuses a file.
    if (!platformRemoveFile(temporary))
        return false;
    int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700);
    if (out < 0)
        return false;
    bool ok = platformWriteAll(out, bytes.data(), bytes.size()) && fchmod(out, 0755) == 0 && fsync(out) == 0;
    if (close(out) != 0)
        ok = false;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) {
        std::string folder = path.substr(0, path.find_last_of('/') + 1);
        platformSyncFolder(folder.empty() ? "." : folder);
        return true;
    }
    unlink(temporary.c_str());
    return false;
}

bool platformFolderWritable(const std::string& folder)
{
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool platformIsExecutable(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}
