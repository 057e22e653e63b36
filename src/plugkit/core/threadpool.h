#pragma once
// ThreadPool: a fixed set of worker threads that run one parallel loop at a time. Work items
// are handed out one by one, in increasing index order, to whichever worker asks first.
// The editor owns one pool for its renderer; the calling thread waits while it runs.

#include <cstddef>
#include <pthread.h>
#include <type_traits>

namespace plugkit
{

// Non-owning reference to a callable task(workItem, threadIndex). The callable must outlive
// every use of the reference: for parallelForAsync, until waitForCompletion returns.
class ThreadPoolTask
{
public:
    ThreadPoolTask() = default;

    template <class F>
        requires(!std::is_same_v<std::remove_cv_t<F>, ThreadPoolTask>)
    ThreadPoolTask(F& callable) // lvalues only: a temporary would dangle
        : context_(const_cast<void*>(static_cast<const void*>(&callable))), call_(&invoke<F>)
    {
    }

    void operator()(int workItem, int threadIndex) const { call_(context_, workItem, threadIndex); }

private:
    template <class F>
    static void invoke(void* context, int workItem, int threadIndex)
    {
        (*static_cast<F*>(context))(workItem, threadIndex);
    }

    void* context_ = nullptr;
    void (*call_)(void*, int, int) = nullptr;
};

class ThreadPool
{
public:
    // numThreads 0 = one per physical core; maxThreads 0 = no maximum; stackSize 0 = the system
    // default (in bytes). Workers start here and run until the destructor.
    explicit ThreadPool(int numThreads = 0, int maxThreads = 0, size_t stackSize = 0);
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // Runs task(i, threadIndex) for every i in [0, count) and returns when all are done.
    // A single item runs on the calling thread as task(0, 0).
    virtual void parallelFor(int count, ThreadPoolTask task);
    // Starts the loop and returns at once; waitForCompletion must follow before the next loop.
    virtual void parallelForAsync(int count, ThreadPoolTask task);
    // Waits for the loop started by parallelForAsync; returns at once if none is pending.
    virtual void waitForCompletion();
    virtual int numThreads() const;

    // Joins the workers; they finish the items of the current loop first.
    virtual ~ThreadPool();

    // Convenience for a callable that lives only for this call.
    template <class F>
    void parallelFor(int count, F&& callable)
    {
        ThreadPoolTask task(callable);
        parallelFor(count, task);
    }

private:
    struct ThreadRecord;
    static void* workerMain(void* record);
    void workerLoop(int threadIndex);

    int workerCount_ = 0;
    ThreadRecord* workers_ = nullptr;
    // Each 64-byte aligned on its own, so the two sides do not share a cache line.
    pthread_mutex_t* workLock_ = nullptr;
    pthread_cond_t* workCondition_ = nullptr;
    pthread_mutex_t* finishLock_ = nullptr;
    pthread_cond_t* finishCondition_ = nullptr;
    ThreadPoolTask task_;
    int taskCount_ = 0;
    int nextWorkItem_ = 0;
    int finishedCount_ = 0;
    bool stopping_ = false;
    bool pending_ = false; // caller thread only
};

// Number of physical cores: "machdep.cpu.core_count" on macOS; on Linux the distinct
// (physical id, core id) pairs of /proc/cpuinfo, else the online processors. At least 1.
int physicalCoreCount();

// Distinct (physical id, core id) pairs in the text of /proc/cpuinfo; 0 when the text does
// not describe every processor's core.
int countPhysicalCoresInCpuinfo(const char* text);

// Workers a pool runs: requested (0 = cores), capped by maximum (0 = none), at least 1.
int threadPoolSize(int requested, int maximum, int cores);

} // namespace plugkit
