#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kelvarin {

class ClassModel;

// The files waiting to be opened: given on the command line, or handed over
// by a later start to the running instance. A browser state (".Kelvar") is
// loaded, a class source (".uc") selects its class; anything else is named
// in the status bar and passed over. Files wait until the start-up has
// loaded the default state and no other model operation runs; they are
// opened in the order given.
class FileOpenQueue
{
public:
    struct Openers
    {
        // Loads a browser state; false when it was not loaded (the loader
        // has shown its own errors).
        std::function<bool(const QString &path)> loadState;
        // Selects a class in the trees.
        std::function<void(const QString &className)> selectClass;
    };

    FileOpenQueue(ClassModel &model, Openers openers);

    // Queues a file (an empty name is none).
    void Add(const QString &path);
    // The start-up has ended: from now on files are opened.
    void StartUpDone() { m_startedUp = true; }
    bool IsEmpty() const { return m_files.isEmpty(); }

    enum class Outcome
    {
        Done,         // every file opened, or dropped as the program ends
        Waiting,      // the start-up has not ended: it opens them
        RetryLater,   // another operation runs: try again after it
    };
    Outcome OpenWaiting();

private:
    void Open(const QString &path);

    ClassModel &m_model;
    Openers m_openers;
    QStringList m_files;
    bool m_startedUp = false;
};

} // namespace kelvarin
