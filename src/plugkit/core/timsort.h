#pragma once
// timSort: stable in-place sort. compare(a, b) returns negative, zero or positive; elements
// that compare equal keep their input order. Merges borrow memory from the caller's scratch
// Vec, which grows as needed and is kept for reuse, so a warm sort allocates nothing.
// Elements are moved bitwise, like everything a Vec holds.

#include <cstddef>
#include <cstring>

#include "plugkit/core/vec.h"

namespace plugkit
{

namespace timsort_detail
{

template <class T>
inline void moveBytes(T* to, const T* from, size_t count)
{
    std::memmove(static_cast<void*>(to), static_cast<const void*>(from), count * sizeof(T));
}

// Sorts a[lo, hi) given that a[lo, start) is already sorted.
template <class T, class Compare>
void binaryInsertionSort(T* a, size_t lo, size_t hi, size_t start, Compare& compare)
{
    if (start == lo)
        ++start;
    alignas(T) unsigned char pivotBytes[sizeof(T)];
    T& pivot = *reinterpret_cast<T*>(pivotBytes);
    for (; start < hi; ++start)
    {
        moveBytes(&pivot, a + start, 1);
        // After every equal element: that keeps the sort stable.
        size_t left = lo, right = start;
        while (left < right)
        {
            size_t mid = left + (right - left) / 2;
            if (compare(pivot, a[mid]) < 0)
                right = mid;
            else
                left = mid + 1;
        }
        moveBytes(a + left + 1, a + left, start - left);
        moveBytes(a + left, &pivot, 1);
    }
}

// Length of the run starting at lo; a strictly descending run is reversed in place.
template <class T, class Compare>
size_t countRunAndMakeAscending(T* a, size_t lo, size_t hi, Compare& compare)
{
    size_t runHi = lo + 1;
    if (runHi == hi)
        return 1;
    if (compare(a[runHi], a[lo]) < 0)
    {
        ++runHi;
        while (runHi < hi && compare(a[runHi], a[runHi - 1]) < 0)
            ++runHi;
        alignas(T) unsigned char tmp[sizeof(T)];
        for (size_t i = lo, j = runHi - 1; i < j; ++i, --j)
        {
            moveBytes(reinterpret_cast<T*>(tmp), a + i, 1);
            moveBytes(a + i, a + j, 1);
            moveBytes(a + j, reinterpret_cast<const T*>(tmp), 1);
        }
    }
    else
    {
        ++runHi;
        while (runHi < hi && compare(a[runHi], a[runHi - 1]) >= 0)
            ++runHi;
    }
    return runHi - lo;
}

// Top 6 bits of n, plus 1 if any lower bit is set.
inline size_t minRunLength(size_t n)
{
    size_t r = 0;
    while (n >= 64)
    {
        r |= n & 1;
        n >>= 1;
    }
    return n + r;
}

template <class T>
T* scratchFor(Vec<T>& scratch, size_t count)
{
    if (scratch.length() < count)
        scratch.resize(count);
    return scratch.ptr();
}

// Merges the adjacent sorted runs a[base1, base1 + len1) and a[base2, base2 + len2).
template <class T, class Compare>
void mergeRuns(T* a, size_t base1, size_t len1, size_t base2, size_t len2, Vec<T>& scratch,
               Compare& compare)
{
    // Elements of the first run not greater than the second run's first are already placed.
    while (len1 > 0 && compare(a[base2], a[base1]) >= 0)
    {
        ++base1;
        --len1;
    }
    if (len1 == 0)
        return;
    // Elements of the second run not less than the first run's last are already placed.
    while (len2 > 0 && compare(a[base2 + len2 - 1], a[base1 + len1 - 1]) >= 0)
        --len2;
    if (len2 == 0)
        return;

    if (len1 <= len2)
    {
        // Merge forwards with the first run in scratch; ties take the first run.
        T* tmp = scratchFor(scratch, len1);
        moveBytes(tmp, a + base1, len1);
        size_t i = 0, j = base2, end2 = base2 + len2, dest = base1;
        while (i < len1 && j < end2)
        {
            if (compare(a[j], tmp[i]) < 0)
                moveBytes(a + dest++, a + j++, 1);
            else
                moveBytes(a + dest++, tmp + i++, 1);
        }
        moveBytes(a + dest, tmp + i, len1 - i);
    }
    else
    {
        // Merge backwards with the second run in scratch; ties take the second run.
        T* tmp = scratchFor(scratch, len2);
        moveBytes(tmp, a + base2, len2);
        size_t i = base1 + len1, j = len2, dest = base2 + len2;
        while (i > base1 && j > 0)
        {
            if (compare(tmp[j - 1], a[i - 1]) < 0)
                moveBytes(a + --dest, a + --i, 1);
            else
                moveBytes(a + --dest, tmp + --j, 1);
        }
        moveBytes(a + dest - j, tmp, j);
    }
}

} // namespace timsort_detail

template <class T, class Compare>
void timSort(T* a, size_t length, Vec<T>& scratch, Compare compare)
{
    using namespace timsort_detail;
    if (length < 2)
        return;
    if (length < 64)
    {
        binaryInsertionSort(a, 0, length, countRunAndMakeAscending(a, 0, length, compare), compare);
        return;
    }

    struct Run
    {
        size_t base, length;
    };
    // Run lengths grow at least like Fibonacci numbers from the bottom of the stack up,
    // so 96 entries cover any array that fits in memory.
    Run runs[96];
    int stackSize = 0;

    auto mergeAt = [&](int i) {
        mergeRuns(a, runs[i].base, runs[i].length, runs[i + 1].base, runs[i + 1].length, scratch,
                  compare);
        runs[i].length += runs[i + 1].length;
        if (i == stackSize - 3)
            runs[i + 1] = runs[i + 2];
        --stackSize;
    };

    // Restores, for the top runs A, B, C (C on top): A > B + C and B > C.
    auto mergeCollapse = [&] {
        while (stackSize > 1)
        {
            int n = stackSize - 2;
            if ((n > 0 && runs[n - 1].length <= runs[n].length + runs[n + 1].length) ||
                (n > 1 && runs[n - 2].length <= runs[n - 1].length + runs[n].length))
            {
                if (runs[n - 1].length < runs[n + 1].length)
                    --n;
            }
            else if (runs[n].length > runs[n + 1].length)
            {
                break;
            }
            mergeAt(n);
        }
    };

    size_t minRun = minRunLength(length);
    for (size_t lo = 0; lo < length;)
    {
        size_t remaining = length - lo;
        size_t run = countRunAndMakeAscending(a, lo, length, compare);
        if (run < minRun)
        {
            size_t forced = remaining < minRun ? remaining : minRun;
            binaryInsertionSort(a, lo, lo + forced, lo + run, compare);
            run = forced;
        }
        runs[stackSize++] = {lo, run};
        mergeCollapse();
        lo += run;
    }
    while (stackSize > 1)
    {
        int n = stackSize - 2;
        if (n > 0 && runs[n - 1].length < runs[n + 1].length)
            --n;
        mergeAt(n);
    }
}

template <class T, class Compare>
void timSort(Vec<T>& array, Vec<T>& scratch, Compare compare)
{
    timSort(array.ptr(), array.length(), scratch, compare);
}

} // namespace plugkit
