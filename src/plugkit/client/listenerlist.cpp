#include "plugkit/client/listenerlist.h"

#include <utility>

namespace plugkit
{

namespace
{

inline void spinPause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

ParameterListenerList::ParameterListenerList()
{
    makeMutex(editLock_);
}

void ParameterListenerList::add(IParameterListener* listener)
{
    MutexLocker locker(editLock_);
    Vec<IParameterListener*> next;
    next.reserve(list_.length() + 1);
    next.pushBack(list_.ptr(), list_.length());
    next.pushBack(listener);
    replaceWith(next);
}

void ParameterListenerList::remove(IParameterListener* listener)
{
    MutexLocker locker(editLock_);
    ptrdiff_t found = list_.indexOf(listener);
    if (found < 0)
        return;
    Vec<IParameterListener*> next;
    next.reserve(list_.length());
    next.pushBack(list_.ptr(), list_.length());
    next.removeAndReplaceByLastElement(static_cast<size_t>(found));
    replaceWith(next);
}

size_t ParameterListenerList::count()
{
    MutexLocker locker(editLock_);
    return list_.length();
}

// Swaps `next` in; the old array ends up in `next` and is freed by the caller's scope, after
// the exclusive section.
void ParameterListenerList::replaceWith(Vec<IParameterListener*>& next)
{
    Vec<IParameterListener*> old;
    lockExclusive();
    old = std::move(list_);
    list_ = std::move(next);
    unlockExclusive();
    next = std::move(old);
}

void ParameterListenerList::lockShared()
{
    for (;;)
    {
        int32_t s = state_.load(std::memory_order_relaxed);
        if (s >= 0 && state_.compare_exchange_weak(s, s + 1, std::memory_order_acquire,
                                                   std::memory_order_relaxed))
            return;
        spinPause();
    }
}

void ParameterListenerList::unlockShared()
{
    state_.fetch_sub(1, std::memory_order_release);
}

void ParameterListenerList::lockExclusive()
{
    for (;;)
    {
        int32_t idle = 0;
        if (state_.compare_exchange_weak(idle, -1, std::memory_order_acquire,
                                         std::memory_order_relaxed))
            return;
        spinPause();
    }
}

void ParameterListenerList::unlockExclusive()
{
    state_.store(0, std::memory_order_release);
}

} // namespace plugkit
