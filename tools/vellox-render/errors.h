#pragma once
// The tool reports every failure as one line and a non-zero exit code. Code below main()
// throws one of these; main() prints the message and returns the code.

#include <stdexcept>
#include <string>

namespace vellox::render
{

// A failure while running: a file that cannot be read or written, a bundle that does not
// load, a setting the plug-in refuses. Exit code 1.
class RenderError : public std::runtime_error
{
public:
    explicit RenderError(const std::string& message, int exitCode = 1)
        : std::runtime_error(message), code(exitCode)
    {
    }
    int exitCode() const { return code; }

private:
    int code;
};

// A command line that cannot be understood. Exit code 2.
class UsageError : public RenderError
{
public:
    explicit UsageError(const std::string& message) : RenderError(message, 2) {}
};

} // namespace vellox::render
