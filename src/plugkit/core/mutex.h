#pragma once
// UncheckedMutex: a recursive system mutex behind a lazily installed handle. "Unchecked"
// means failures are not reported: a lock call that fails is a fatal programming error.
// Owners create it eagerly with makeMutex() before first use; lock() does not create it.

#include <atomic>
#include <cstdint>

namespace plugkit
{

class UncheckedMutex
{
public:
    UncheckedMutex() = default;
    UncheckedMutex(const UncheckedMutex&) = delete;
    UncheckedMutex& operator=(const UncheckedMutex&) = delete;
    ~UncheckedMutex() { destroy(); }

    // Allocates and installs the system mutex if none is there yet; safe to race.
    void lazyThreadSafeInitialization();
    void lock();
    bool tryLock();
    void unlock();
    // Removes the system mutex (atomically) and frees it.
    void destroy();

    bool isCreated() const { return handle_.load(std::memory_order_acquire) != nullptr; }

private:
    std::atomic<void*> handle_{nullptr};
    [[maybe_unused]] uintptr_t reserved_ = 0;
};

// Returns a mutex that is ready to lock.
inline UncheckedMutex& makeMutex(UncheckedMutex& m)
{
    m.lazyThreadSafeInitialization();
    return m;
}

// Scoped lock.
class MutexLocker
{
public:
    explicit MutexLocker(UncheckedMutex& m) : m_(m) { m_.lock(); }
    ~MutexLocker() { m_.unlock(); }
    MutexLocker(const MutexLocker&) = delete;
    MutexLocker& operator=(const MutexLocker&) = delete;

private:
    UncheckedMutex& m_;
};

} // namespace plugkit
