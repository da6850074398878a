#include "model/SourceReadAhead.h"

#include "platform/BackgroundThread.h"
#include "platform/EventPump.h"

#include <chrono>

namespace kelvarin {

namespace {

// A worker's pump: it runs no events, and says "terminating" once the read
// ahead is being torn down, so a worker stops after its current file.
class StopFlagPump : public EventPump
{
public:
    explicit StopFlagPump(const std::atomic<bool> &stop)
        : m_stop(stop)
    {
    }
    void Pump() override {}
    bool Terminating() const override { return m_stop.load(std::memory_order_relaxed); }
    void SetTerminating() override {}

private:
    const std::atomic<bool> &m_stop;
};

} // namespace

SourceReadAhead::SourceReadAhead(const QStringList &classesDirs, int threads, Reader reader)
    : m_reader(reader ? std::move(reader) : Reader(&Scanner::ReadPackageSources)),
      m_threads(int(std::min<qsizetype>(std::max(threads, 0), classesDirs.size())))
{
    m_jobs.reserve(size_t(classesDirs.size()));
    for (const QString &dir : classesDirs)
        m_jobs.push_back(Job{dir, State::Queued, {}, {}});
    if (classesDirs.size() >= kManyPackages)
        StartWorkers();
}

void SourceReadAhead::StartWorkers()
{
    m_workers.reserve(size_t(m_threads));
    for (int i = 0; i < m_threads; ++i)
        m_workers.emplace_back([this] { Work(); });
    m_threads = 0;
}

SourceReadAhead::~SourceReadAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stop.store(true, std::memory_order_relaxed);
    m_changed.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

int SourceReadAhead::NextForWorker() const
{
    const size_t end = std::min(m_jobs.size(), m_next + 1 + size_t(kWindow));
    for (size_t i = m_next; i < end; ++i) {
        if (m_jobs[i].state == State::Queued)
            return int(i);
    }
    return -1;
}

void SourceReadAhead::Work()
{
    BackgroundThread::LowerPriority();
    StopFlagPump pump(m_stop);
    std::unique_lock lock(m_mutex);
    for (;;) {
        int index = -1;
        m_changed.wait(lock, [&] { return m_stopping || (index = NextForWorker()) >= 0; });
        if (m_stopping)
            return;
        Job &job = m_jobs[size_t(index)];
        job.state = State::Reading;
        const QString dir = job.classesDir;
        lock.unlock();
        // Nothing may leave a worker thread: the failure travels to Take,
        // which raises it on the loading thread.
        Scanner::StagedSources sources;
        std::exception_ptr failure;
        try {
            sources = m_reader(dir, &pump);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        job.sources = std::move(sources);
        job.failure = failure;
        job.state = State::Done;
        m_changed.notify_all();
    }
}

bool SourceReadAhead::IsNext(const QString &classesDir)
{
    std::lock_guard lock(m_mutex);
    return m_next < m_jobs.size() && m_jobs[m_next].classesDir == classesDir;
}

std::optional<Scanner::StagedSources> SourceReadAhead::Take(const QString &classesDir, EventPump &pump)
{
    std::unique_lock lock(m_mutex);
    if (m_next >= m_jobs.size() || m_jobs[m_next].classesDir != classesDir)
        return std::nullopt;
    Job &job = m_jobs[m_next];
    if (job.state == State::Queued) {
        // No worker has begun it: read it here, with the window's pump.
        job.state = State::Reading;
        lock.unlock();
        Scanner::StagedSources sources;
        try {
            sources = m_reader(classesDir, &pump);
        } catch (...) {
            // The package is used up either way: the next Take goes on.
            lock.lock();
            job.state = State::Taken;
            ++m_next;
            m_changed.notify_all();
            throw;
        }
        lock.lock();
        job.state = State::Taken;
        ++m_next;
        // A few small packages are read fastest here alone; workers pay once
        // the sources are many.
        m_readHere += sources.lines.size();
        if (m_threads > 0 && m_readHere >= kManySources && m_next + 1 < m_jobs.size()) {
            lock.unlock();
            StartWorkers();
            lock.lock();
        }
        m_changed.notify_all();
        return sources;
    }
    // A worker reads it: wait, keeping the window live.
    while (job.state == State::Reading) {
        m_changed.wait_for(lock, std::chrono::milliseconds(10));
        if (job.state != State::Reading)
            break;
        lock.unlock();
        pump.Pump();
        lock.lock();
        if (pump.Terminating())
            return std::nullopt;
    }
    Scanner::StagedSources sources = std::move(job.sources);
    const std::exception_ptr failure = std::move(job.failure);
    job.state = State::Taken;
    ++m_next;
    m_changed.notify_all();
    if (failure)
        std::rethrow_exception(failure);
    return sources;
}

} // namespace kelvarin
