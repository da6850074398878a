#pragma once

#include "model/Scanner.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kelvarin {

class EventPump;

// Reads the sources of packages about to be loaded on worker threads, so that
// reading the next packages overlaps resolving the current one. Packages are
// taken in the order given; workers read at most a few packages ahead of the
// one taken last, which bounds the memory held. What a worker reads is exactly
// what Scanner::ReadPackageSources gives on the loading thread: the model is
// still built on that thread alone, in the same order.
class SourceReadAhead
{
public:
    // How one package is read; Scanner::ReadPackageSources unless a test
    // gives another.
    using Reader = std::function<Scanner::StagedSources(const QString &classesDir, EventPump *pump)>;

    // classesDirs: the packages' "\Classes\" directories in load order.
    // threads: worker threads (none: every package is read by Take itself).
    SourceReadAhead(const QStringList &classesDirs, int threads, Reader reader = {});
    // Stops the workers (a read in progress ends after its current file).
    ~SourceReadAhead();
    SourceReadAhead(const SourceReadAhead &) = delete;
    SourceReadAhead &operator=(const SourceReadAhead &) = delete;

    // The sources of classesDir, when it is the next package in line: read
    // by a worker (waited for while the pump runs) or read here when no worker
    // has begun it (then cut short, as ReadPackageSources is, when the
    // application is terminating). Nothing when classesDir is not next in
    // line (the caller reads it itself) or when the application began
    // terminating during the wait. A read that failed on a worker raises
    // its error here, on the caller's thread, as reading it here would.
    std::optional<Scanner::StagedSources> Take(const QString &classesDir, EventPump &pump);
    // True when classesDir is the next package in line.
    bool IsNext(const QString &classesDir);

    // How many packages workers may read beyond the one taken last.
    static constexpr int kWindow = 6;
    // Workers start at once for this many packages, otherwise once the
    // packages read by Take itself have held this many sources: starting
    // threads costs more than a small game takes to read.
    static constexpr qsizetype kManyPackages = 8;
    static constexpr qsizetype kManySources = 64;

private:
    enum class State { Queued, Reading, Done, Taken };
    struct Job
    {
        QString classesDir;
        State state = State::Queued;
        Scanner::StagedSources sources;
        std::exception_ptr failure;   // what the worker's read raised
    };

    void Work();
    void StartWorkers();
    // The first queued job a worker may begin, or -1.
    int NextForWorker() const;

    Reader m_reader;
    std::vector<Job> m_jobs;
    size_t m_next = 0;   // the job Take hands out next
    bool m_stopping = false;
    std::atomic<bool> m_stop{false};   // the workers' "terminating"
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_workers;
    int m_threads = 0;          // workers still to start
    qsizetype m_readHere = 0;   // sources read by Take itself
};

} // namespace kelvarin
