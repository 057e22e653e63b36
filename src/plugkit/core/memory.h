#pragma once
// Explicit object lifetime on the C heap. Every object of the framework is created with
// mallocNew and destroyed by its owner with destroyFree; arrays and strings come from
// safeMalloc / free. Running out of memory is fatal: no allocation returns null.

#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

#include "plugkit/core/fatal.h"

namespace plugkit
{

// malloc that never fails: out of memory stops the process, naming the caller's file.
void* safeMalloc(size_t size, const char* sourceFile = __builtin_FILE(), int line = __builtin_LINE());
void* safeRealloc(void* p, size_t size, const char* sourceFile = __builtin_FILE(),
                  int line = __builtin_LINE());

// Zero-terminated private copy of a string (null gives null); free it with free().
char* stringDup(const char* text, const char* sourceFile = __builtin_FILE(),
                int line = __builtin_LINE());

// Creates a T on the C heap: fields take their declared defaults, then the constructor runs.
template <class T, class... Args>
T* mallocNew(Args&&... args)
{
    void* raw = safeMalloc(sizeof(T) > 0 ? sizeof(T) : 1);
    return new (raw) T(std::forward<Args>(args)...);
}

// Runs the destructor chain (most derived first, through a virtual destructor where the
// class has one) and frees the storage. Null is ignored.
template <class T>
void destroyFree(T* object)
{
    if (object == nullptr)
        return;
    // The allocation starts at the most-derived object, which is not the address of a second
    // base; dynamic_cast<void*> finds it from the vtable (no RTTI needed).
    void* start;
    if constexpr (std::is_polymorphic_v<T>)
        start = dynamic_cast<void*>(object);
    else
        start = static_cast<void*>(object);
    object->~T();
    std::free(start);
}

// Aligned blocks. With alignment 1 these are plain malloc / realloc / free. Otherwise the
// block is malloc(size + alignment + 15); the returned address is the first multiple of the
// alignment at or after raw + 16; the word just below it holds the raw pointer and the word
// below that the requested size.
void* alignedMalloc(size_t size, size_t alignment, const char* sourceFile = __builtin_FILE(),
                    int line = __builtin_LINE());
void alignedFree(void* p, size_t alignment);

// Resizes an aligned block. A block whose request would shrink by less than 4x is kept in
// place (its recorded size is not updated); otherwise a new block receives min(old, new)
// bytes and the old one is freed.
void* alignedReallocImpl(void* p, size_t size, size_t alignment,
                         const char* sourceFile = __builtin_FILE(), int line = __builtin_LINE());

// The requested size recorded in an aligned block (alignment > 1 only).
size_t alignedBlockRecordedSize(const void* p);

} // namespace plugkit
