#include "plugkit/core/fatal.h"

#include <cstdio>
#include <cstdlib>

namespace plugkit
{

void fatalError(const char* message, const char* sourceFile, int line)
{
    std::fprintf(stderr, "plugkit fatal error: %s (%s:%d)\n", message, sourceFile, line);
    std::fflush(stderr);
    std::abort();
}

void fatalOutOfMemory(const char* sourceFile, int line)
{
    fatalError("out of memory", sourceFile, line);
}

} // namespace plugkit
