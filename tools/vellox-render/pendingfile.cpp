#include "pendingfile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors.h"

namespace vellox::render
{

namespace
{

// Temporary files to remove if the process is interrupted. The handler may only use
// async-signal-safe calls, so the paths live in fixed buffers.
constexpr int kSlots = 8;
constexpr size_t kPathMax = 4096;
char gPaths[kSlots][kPathMax];
std::atomic<bool> gUsed[kSlots];

void onInterrupt(int sig)
{
    for (int i = 0; i < kSlots; ++i)
        if (gUsed[i].load())
            unlink(gPaths[i]);
    signal(sig, SIG_DFL);
    raise(sig);
}

void installHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
    {
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        struct sigaction old = {};
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction sa = {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(sig, &sa, nullptr);
    }
}

int registerPath(const std::string& path)
{
    if (path.size() >= kPathMax)
        return -1;
    for (int i = 0; i < kSlots; ++i)
    {
        if (!gUsed[i].load())
        {
            std::memcpy(gPaths[i], path.c_str(), path.size() + 1);
            gUsed[i].store(true);
            return i;
        }
    }
    return -1;
}

std::string errorText(const std::string& what, const std::string& path, int err)
{
    return what + " \"" + path + "\": " + std::strerror(err);
}

} // namespace

PendingFile::PendingFile(const std::string& target) : targetPath(target)
{
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw RenderError("cannot write \"" + target + "\": it is a directory");

    std::string dir = ".", base = target;
    size_t slash = target.rfind('/');
    if (slash != std::string::npos)
    {
        dir = slash == 0 ? "/" : target.substr(0, slash);
        base = target.substr(slash + 1);
    }
    std::string pattern = (dir == "/" ? "" : dir) + "/." + base + ".partial-XXXXXX";
    std::string buffer = pattern;
    installHandlers();
    fd = mkstemp(buffer.data());
    if (fd < 0)
        throw RenderError(errorText("cannot write", target, errno));
    tempPath = buffer;
    slot = registerPath(tempPath);

    // mkstemp makes the file private; give it the permissions a plain create would.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

PendingFile::~PendingFile()
{
    if (!done)
        discard();
}

int PendingFile::releaseDescriptor()
{
    int d = fd;
    fd = -1;
    return d;
}

void PendingFile::write(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0)
    {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
        {
            int err = n < 0 ? errno : EIO;
            discard();
            throw RenderError(errorText("cannot write", targetPath, err));
        }
        p += n;
        size -= size_t(n);
    }
}

void PendingFile::commit()
{
    if (fd >= 0)
    {
        int fdToClose = releaseDescriptor();
        if (close(fdToClose) != 0)
        {
            int err = errno;
            discard();
            throw RenderError(errorText("cannot write", targetPath, err));
        }
    }
    if (rename(tempPath.c_str(), targetPath.c_str()) != 0)
    {
        int err = errno;
        discard();
        throw RenderError(errorText("cannot write", targetPath, err));
    }
    done = true;
    if (slot >= 0)
        gUsed[slot].store(false);
}

void PendingFile::discard()
{
    if (fd >= 0)
        close(releaseDescriptor());
    if (!tempPath.empty())
        unlink(tempPath.c_str());
    if (slot >= 0)
        gUsed[slot].store(false);
    slot = -1;
    done = true;
}

} // namespace vellox::render
