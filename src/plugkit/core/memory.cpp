#include "plugkit/core/memory.h"

#include <cstdint>
#include <cstring>

namespace plugkit
{

void* safeMalloc(size_t size, const char* sourceFile, int line)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        fatalOutOfMemory(sourceFile, line);
    return p;
}

void* safeRealloc(void* p, size_t size, const char* sourceFile, int line)
{
    void* q = std::realloc(p, size == 0 ? 1 : size);
    if (q == nullptr)
        fatalOutOfMemory(sourceFile, line);
    return q;
}

char* stringDup(const char* text, const char* sourceFile, int line)
{
    if (text == nullptr)
        return nullptr;
    size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(safeMalloc(n, sourceFile, line));
    std::memcpy(copy, text, n);
    return copy;
}

namespace
{

void** headerOf(const void* p)
{
    return reinterpret_cast<void**>(const_cast<void*>(p));
}

size_t requestSize(size_t size, size_t alignment)
{
    return size + alignment + 15;
}

} // namespace

void* alignedMalloc(size_t size, size_t alignment, const char* sourceFile, int line)
{
    if (alignment == 1)
        return safeMalloc(size, sourceFile, line);
    if ((alignment & (alignment - 1)) != 0)
        fatalError("alignment must be a power of two");
    void* raw = safeMalloc(requestSize(size, alignment), sourceFile, line);
    uintptr_t start = reinterpret_cast<uintptr_t>(raw) + 16;
    uintptr_t aligned = (start + alignment - 1) & ~(uintptr_t)(alignment - 1);
    void** header = headerOf(reinterpret_cast<void*>(aligned));
    header[-1] = raw;
    header[-2] = reinterpret_cast<void*>(size);
    return reinterpret_cast<void*>(aligned);
}

void alignedFree(void* p, size_t alignment)
{
    if (p == nullptr)
        return;
    if (alignment == 1)
    {
        std::free(p);
        return;
    }
    std::free(headerOf(p)[-1]);
}

size_t alignedBlockRecordedSize(const void* p)
{
    return reinterpret_cast<size_t>(headerOf(p)[-2]);
}

void* alignedReallocImpl(void* p, size_t size, size_t alignment, const char* sourceFile, int line)
{
    if (alignment == 1)
        return safeRealloc(p, size, sourceFile, line);
    if (p == nullptr)
        return alignedMalloc(size, alignment, sourceFile, line);

    size_t oldSize = alignedBlockRecordedSize(p);
    size_t oldRequest = requestSize(oldSize, alignment);
    size_t newRequest = requestSize(size, alignment);
    if (newRequest <= oldRequest && oldRequest < 4 * newRequest)
        return p;

    void* fresh = alignedMalloc(size, alignment, sourceFile, line);
    std::memcpy(fresh, p, oldSize < size ? oldSize : size);
    alignedFree(p, alignment);
    return fresh;
}

} // namespace plugkit
