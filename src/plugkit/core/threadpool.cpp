#include "plugkit/core/threadpool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#if defined(__APPLE__)
#include <sys/sysctl.h>
#endif

#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"
#include "plugkit/core/vec.h"

namespace plugkit
{

struct ThreadPool::ThreadRecord
{
    pthread_t handle;
    ThreadPool* pool; // start context: the pool and this worker's index
    int index;
    size_t stackSize;
};

namespace
{

void lockOrDie(pthread_mutex_t* m)
{
    if (pthread_mutex_lock(m) != 0)
        fatalError("pthread_mutex_lock failed");
}

void unlockOrDie(pthread_mutex_t* m)
{
    if (pthread_mutex_unlock(m) != 0)
        fatalError("pthread_mutex_unlock failed");
}

void waitOrDie(pthread_cond_t* c, pthread_mutex_t* m)
{
    if (pthread_cond_wait(c, m) != 0)
        fatalError("pthread_cond_wait failed");
}

void signalOrDie(pthread_cond_t* c)
{
    if (pthread_cond_signal(c) != 0)
        fatalError("pthread_cond_signal failed");
}

void broadcastOrDie(pthread_cond_t* c)
{
    if (pthread_cond_broadcast(c) != 0)
        fatalError("pthread_cond_broadcast failed");
}

pthread_mutex_t* createLock()
{
    auto* m = static_cast<pthread_mutex_t*>(alignedMalloc(sizeof(pthread_mutex_t), 64));
    if (pthread_mutex_init(m, nullptr) != 0)
        fatalError("cannot create a mutex");
    return m;
}

pthread_cond_t* createCondition()
{
    auto* c = static_cast<pthread_cond_t*>(alignedMalloc(sizeof(pthread_cond_t), 64));
    if (pthread_cond_init(c, nullptr) != 0)
        fatalError("cannot create a condition");
    return c;
}

void destroyLock(pthread_mutex_t* m)
{
    if (pthread_mutex_destroy(m) != 0)
        fatalError("pthread_mutex_destroy failed");
    alignedFree(m, 64);
}

void destroyCondition(pthread_cond_t* c)
{
    if (pthread_cond_destroy(c) != 0)
        fatalError("pthread_cond_destroy failed");
    alignedFree(c, 64);
}

// Whole /proc/cpuinfo as zero-terminated text (its size is not known in advance), or null.
char* readCpuinfo()
{
    FILE* f = std::fopen("/proc/cpuinfo", "r");
    if (f == nullptr)
        return nullptr;
    Vec<char> text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        text.pushBack(chunk, got);
    std::fclose(f);
    text.pushBack('\0');
    return stringDup(text.ptr());
}

// Trims blanks on both ends of [begin, end).
void trim(const char*& begin, const char*& end)
{
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r'))
        --end;
}

bool keyIs(const char* begin, const char* end, const char* key)
{
    size_t n = std::strlen(key);
    return size_t(end - begin) == n && std::memcmp(begin, key, n) == 0;
}

} // namespace

int countPhysicalCoresInCpuinfo(const char* text)
{
    Vec<uint64_t> cores; // (physical id << 32) | core id
    int processors = 0;
    long physicalId = -1, coreId = -1;
    bool complete = true;

    auto finishProcessor = [&] {
        if (processors == 0)
            return;
        if (physicalId < 0 || coreId < 0)
        {
            complete = false;
            return;
        }
        uint64_t key = (uint64_t(uint32_t(physicalId)) << 32) | uint32_t(coreId);
        if (cores.indexOf(key) < 0)
            cores.pushBack(key);
    };

    for (const char* line = text; *line != '\0';)
    {
        const char* lineEnd = std::strchr(line, '\n');
        if (lineEnd == nullptr)
            lineEnd = line + std::strlen(line);
        const char* colon = static_cast<const char*>(std::memchr(line, ':', size_t(lineEnd - line)));
        if (colon != nullptr)
        {
            const char* keyBegin = line;
            const char* keyEnd = colon;
            trim(keyBegin, keyEnd);
            if (keyIs(keyBegin, keyEnd, "processor"))
            {
                finishProcessor();
                ++processors;
                physicalId = coreId = -1;
            }
            else if (keyIs(keyBegin, keyEnd, "physical id") || keyIs(keyBegin, keyEnd, "core id"))
            {
                char* numberEnd;
                long value = std::strtol(colon + 1, &numberEnd, 10);
                if (numberEnd != colon + 1 && value >= 0)
                    (keyBegin[0] == 'p' ? physicalId : coreId) = value;
            }
        }
        line = *lineEnd == '\n' ? lineEnd + 1 : lineEnd;
    }
    finishProcessor();
    if (!complete)
        return 0;
    return static_cast<int>(cores.length());
}

int physicalCoreCount()
{
#if defined(__APPLE__)
    int cores = 0;
    size_t size = sizeof(cores);
    if (sysctlbyname("machdep.cpu.core_count", &cores, &size, nullptr, 0) == 0 && cores > 0)
        return cores;
#else
    if (char* text = readCpuinfo())
    {
        int cores = countPhysicalCoresInCpuinfo(text);
        std::free(text);
        if (cores > 0)
            return cores;
    }
#endif
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}

int threadPoolSize(int requested, int maximum, int cores)
{
    int n = requested > 0 ? requested : cores;
    if (maximum > 0 && n > maximum)
        n = maximum;
    return n > 0 ? n : 1;
}

ThreadPool::ThreadPool(int numThreads, int maxThreads, size_t stackSize)
{
    workLock_ = createLock();
    workCondition_ = createCondition();
    finishLock_ = createLock();
    finishCondition_ = createCondition();

    workerCount_ = threadPoolSize(numThreads, maxThreads, numThreads > 0 ? 0 : physicalCoreCount());
    workers_ = static_cast<ThreadRecord*>(safeMalloc(sizeof(ThreadRecord) * size_t(workerCount_)));
    for (int i = 0; i < workerCount_; ++i)
    {
        ThreadRecord& w = workers_[i];
        w.pool = this;
        w.index = i;
        w.stackSize = stackSize;
        pthread_attr_t attr;
        if (pthread_attr_init(&attr) != 0)
            fatalError("pthread_attr_init failed");
        if (stackSize != 0 && pthread_attr_setstacksize(&attr, stackSize) != 0)
            fatalError("cannot set the worker stack size");
        if (pthread_create(&w.handle, &attr, &ThreadPool::workerMain, &w) != 0)
            fatalError("cannot start a worker thread");
        pthread_attr_destroy(&attr);
    }
}

ThreadPool::~ThreadPool()
{
    lockOrDie(workLock_);
    stopping_ = true;
    unlockOrDie(workLock_);
    broadcastOrDie(workCondition_);
    for (int i = 0; i < workerCount_; ++i)
        if (pthread_join(workers_[i].handle, nullptr) != 0)
            fatalError("pthread_join failed");
    std::free(workers_);
    destroyLock(workLock_);
    destroyCondition(workCondition_);
    destroyLock(finishLock_);
    destroyCondition(finishCondition_);
}

void* ThreadPool::workerMain(void* record)
{
    auto* w = static_cast<ThreadRecord*>(record);
    w->pool->workerLoop(w->index);
    return nullptr;
}

void ThreadPool::workerLoop(int threadIndex)
{
    lockOrDie(workLock_);
    for (;;)
    {
        while (nextWorkItem_ >= taskCount_)
        {
            if (stopping_)
            {
                unlockOrDie(workLock_);
                return;
            }
            waitOrDie(workCondition_, workLock_);
        }
        int item = nextWorkItem_++;
        ThreadPoolTask task = task_;
        unlockOrDie(workLock_);

        task(item, threadIndex);

        lockOrDie(finishLock_);
        ++finishedCount_;
        unlockOrDie(finishLock_);
        signalOrDie(finishCondition_);

        lockOrDie(workLock_);
    }
}

void ThreadPool::parallelFor(int count, ThreadPoolTask task)
{
    if (count == 1)
    {
        task(0, 0);
        return;
    }
    parallelForAsync(count, task);
    waitForCompletion();
}

void ThreadPool::parallelForAsync(int count, ThreadPoolTask task)
{
    if (count <= 0)
        return;
    lockOrDie(workLock_);
    task_ = task;
    taskCount_ = count;
    nextWorkItem_ = 0;
    // Every increment of the previous loop was seen by its waitForCompletion, which ran on
    // this thread, so nothing else touches the counter now.
    finishedCount_ = 0;
    unlockOrDie(workLock_);
    if (workerCount_ > count)
    {
        for (int i = 0; i < count; ++i)
            signalOrDie(workCondition_);
    }
    else
    {
        broadcastOrDie(workCondition_);
    }
    pending_ = true;
}

void ThreadPool::waitForCompletion()
{
    if (!pending_)
        return;
    lockOrDie(finishLock_);
    while (finishedCount_ < taskCount_)
        waitOrDie(finishCondition_, finishLock_);
    unlockOrDie(finishLock_);
    pending_ = false;
}

int ThreadPool::numThreads() const
{
    return workerCount_;
}

} // namespace plugkit
