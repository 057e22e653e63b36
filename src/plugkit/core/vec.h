#pragma once
// Vec: the framework's growable array. Elements are moved bitwise when storage grows and are
// never destroyed by the Vec, so it holds plain values and non-owning pointers. Storage comes
// from alignedReallocImpl, so a Vec can hold SIMD-aligned sample buffers.

#include <cstddef>
#include <cstring>

#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"

namespace plugkit
{

// Capacity a Vec grows to when it needs `needed` elements of `elementSize` bytes:
// 3x for small arrays (<= 4096 bytes), else 1.625x.
inline size_t vecGrownCapacity(size_t needed, size_t elementSize)
{
    if (needed * elementSize <= 4096)
        return 3 * needed;
    return needed + needed / 2 + needed / 8;
}

template <class T>
class Vec
{
public:
    Vec() = default;
    explicit Vec(size_t initialSize, size_t alignment = 1) : alignment_(alignment)
    {
        resize(initialSize);
    }
    Vec(const Vec&) = delete;
    Vec& operator=(const Vec&) = delete;
    Vec(Vec&& other) noexcept { swap(other); }
    Vec& operator=(Vec&& other) noexcept
    {
        if (this != &other)
        {
            freeStorage();
            swap(other);
        }
        return *this;
    }
    ~Vec() { freeStorage(); }

    size_t length() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return allocated_; }
    size_t alignment() const { return alignment_; }
    T* ptr() { return data_; }
    const T* ptr() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }

    // Changes the alignment of an empty, unallocated Vec.
    void setAlignment(size_t alignment)
    {
        if (data_ != nullptr)
            fatalError("Vec alignment can only be set before the first allocation");
        alignment_ = alignment;
    }

    void pushBack(const T& value)
    {
        if (size_ + 1 > allocated_)
            reserveForGrowth(size_ + 1);
        std::memcpy(static_cast<void*>(data_ + size_), &value, sizeof(T));
        ++size_;
    }

    T popBack()
    {
        if (size_ == 0)
            fatalError("popBack on an empty Vec");
        --size_;
        T value;
        std::memcpy(static_cast<void*>(&value), data_ + size_, sizeof(T));
        return value;
    }

    // Empties the array; the storage is kept for reuse.
    void clearContents() { size_ = 0; }

    // Sets the exact element count. New elements are value-initialised.
    void resize(size_t count)
    {
        if (count > allocated_)
            reserveForGrowth(count);
        for (size_t i = size_; i < count; ++i)
            new (static_cast<void*>(data_ + i)) T();
        size_ = count;
    }

    // Makes room for `count` elements without changing the size (exact capacity).
    void reserve(size_t count)
    {
        if (count > allocated_)
            setCapacity(count);
    }

    // Index of the first element equal to value, or -1.
    ptrdiff_t indexOf(const T& value) const
    {
        for (size_t i = 0; i < size_; ++i)
            if (data_[i] == value)
                return static_cast<ptrdiff_t>(i);
        return -1;
    }

    // Removes element i by moving the last element into its place (order is not kept).
    void removeAndReplaceByLastElement(size_t i)
    {
        if (i >= size_)
            fatalError("Vec index out of range");
        if (i != size_ - 1)
            std::memcpy(static_cast<void*>(data_ + i), data_ + size_ - 1, sizeof(T));
        --size_;
    }

    void pushBack(const T* values, size_t count)
    {
        if (size_ + count > allocated_)
            reserveForGrowth(size_ + count);
        if (count > 0)
            std::memcpy(static_cast<void*>(data_ + size_), values, count * sizeof(T));
        size_ += count;
    }

private:
    void reserveForGrowth(size_t needed) { setCapacity(vecGrownCapacity(needed, sizeof(T))); }

    void setCapacity(size_t count)
    {
        data_ = static_cast<T*>(alignedReallocImpl(data_, count * sizeof(T), alignment_));
        allocated_ = count;
    }

    void freeStorage()
    {
        alignedFree(data_, alignment_);
        data_ = nullptr;
        size_ = allocated_ = 0;
    }

    void swap(Vec& other) noexcept
    {
        std::swap(size_, other.size_);
        std::swap(data_, other.data_);
        std::swap(allocated_, other.allocated_);
        std::swap(alignment_, other.alignment_);
    }

    size_t size_ = 0;
    T* data_ = nullptr;
    size_t allocated_ = 0;
    size_t alignment_ = 1;
};

} // namespace plugkit
