#include "plugkit/core/mutex.h"

#include <cerrno>
#include <pthread.h>

#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"

namespace plugkit
{

namespace
{

pthread_mutex_t* systemMutex(const std::atomic<void*>& handle)
{
    void* h = handle.load(std::memory_order_acquire);
    if (h == nullptr)
        fatalError("mutex used before it was created");
    return static_cast<pthread_mutex_t*>(h);
}

void destroySystemMutex(pthread_mutex_t* m)
{
    if (pthread_mutex_destroy(m) != 0)
        fatalError("pthread_mutex_destroy failed");
    alignedFree(m, 64);
}

} // namespace

void UncheckedMutex::lazyThreadSafeInitialization()
{
    if (handle_.load(std::memory_order_acquire) != nullptr)
        return;
    auto* m = static_cast<pthread_mutex_t*>(alignedMalloc(sizeof(pthread_mutex_t), 64));
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0 ||
        pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) != 0 ||
        pthread_mutex_init(m, &attr) != 0)
        fatalError("cannot create a recursive mutex");
    pthread_mutexattr_destroy(&attr);

    void* expected = nullptr;
    if (!handle_.compare_exchange_strong(expected, m, std::memory_order_acq_rel))
        destroySystemMutex(m); // another thread installed its mutex first
}

void UncheckedMutex::lock()
{
    if (pthread_mutex_lock(systemMutex(handle_)) != 0)
        fatalError("pthread_mutex_lock failed");
}

bool UncheckedMutex::tryLock()
{
    int r = pthread_mutex_trylock(systemMutex(handle_));
    if (r == 0)
        return true;
    if (r != EBUSY)
        fatalError("pthread_mutex_trylock failed");
    return false;
}

void UncheckedMutex::unlock()
{
    if (pthread_mutex_unlock(systemMutex(handle_)) != 0)
        fatalError("pthread_mutex_unlock failed");
}

void UncheckedMutex::destroy()
{
    void* h = handle_.exchange(nullptr, std::memory_order_acq_rel);
    if (h != nullptr)
        destroySystemMutex(static_cast<pthread_mutex_t*>(h));
}

} // namespace plugkit
