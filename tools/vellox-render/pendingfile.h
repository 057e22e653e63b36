#pragma once
// A file that appears under its name only when complete. It is written under a temporary
// name in the target's directory and renamed over the target by commit(); if commit() is
// not reached (an error, an exception, SIGINT/SIGTERM/SIGHUP) the temporary file is removed,
// so a failed run never leaves a partial output behind.

#include <string>

namespace vellox::render
{

class PendingFile
{
public:
    // Creates the temporary file. Throws RenderError naming `target` when its directory
    // cannot take it, or when `target` is a directory.
    explicit PendingFile(const std::string& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Descriptor of the temporary file, open for writing. Still owned by this object unless
    // releaseDescriptor() is called.
    int descriptor() const { return fd; }
    // Hands the descriptor over (to a writer that closes it itself).
    int releaseDescriptor();

    // Writes `size` bytes at the current position; throws RenderError on failure.
    void write(const void* data, size_t size);

    // Closes the file (if still owned) and renames it over the target. Throws RenderError
    // (and removes the temporary file) when that fails.
    void commit();

    const std::string& target() const { return targetPath; }

private:
    void discard();

    std::string targetPath, tempPath;
    int fd = -1;
    int slot = -1;  // entry in the interrupt clean-up list
    bool done = false;
};

} // namespace vellox::render
