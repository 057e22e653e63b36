#pragma once
// ParameterListenerList: the listeners of one parameter, safe to notify from the audio thread
// while the editor thread adds or removes listeners.
//
// Protection: add/remove build a complete new array outside any lock the notifiers see, then
// swap it in under a tiny reader-writer spin lock whose write side only exchanges three
// words. Notifiers hold the read side while they call the listeners, so they never see a
// half-changed array, and several notifiers (audio thread, editor thread) run side by side.
// The audio thread can therefore only ever wait for a pointer swap, never for an allocation
// or for the editor's own notifications. A remover waits until running notifications end, so
// once remove() returns the listener will not be called again and may be destroyed.
// add/remove are serialised among themselves by a mutex that notifiers never touch.

#include <atomic>
#include <cstdint>

#include "plugkit/client/iparameterlistener.h"
#include "plugkit/core/mutex.h"
#include "plugkit/core/vec.h"

namespace plugkit
{

class ParameterListenerList
{
public:
    ParameterListenerList();
    ParameterListenerList(const ParameterListenerList&) = delete;
    ParameterListenerList& operator=(const ParameterListenerList&) = delete;

    // [editor thread] Appends; may allocate. Must not be called from inside a notification.
    void add(IParameterListener* listener);

    // [editor thread] Removes the first equal entry by moving the last entry into its place
    // (order is not kept); absent listeners are ignored. May allocate.
    void remove(IParameterListener* listener);

    // [any thread] Calls f(listener) for each listener in list order. Never allocates.
    template <class F>
    void forEach(F&& f)
    {
        lockShared();
        for (size_t i = 0; i < list_.length(); ++i)
            f(list_[i]);
        unlockShared();
    }

    // [editor thread] Number of listeners (for tests and diagnostics).
    size_t count();

private:
    void lockShared();
    void unlockShared();
    void lockExclusive();
    void unlockExclusive();
    void replaceWith(Vec<IParameterListener*>& next);

    UncheckedMutex editLock_;        // serialises add/remove
    Vec<IParameterListener*> list_;  // changed only by swapping in a new array
    std::atomic<int32_t> state_{0};  // > 0: notifiers inside, -1: a swap in progress
};

} // namespace plugkit
