#include "session/FileOpenQueue.h"

#include "model/ClassModel.h"
#include "platform/EventPump.h"
#include "session/ProgramArguments.h"

#include <QDir>
#include <QFileInfo>

namespace kelvarin {

FileOpenQueue::FileOpenQueue(ClassModel &model, Openers openers)
    : m_model(model),
      m_openers(std::move(openers))
{
}

void FileOpenQueue::Add(const QString &path)
{
    if (!path.isEmpty())
        m_files << path;
}

FileOpenQueue::Outcome FileOpenQueue::OpenWaiting()
{
    EventPump &pump = m_model.Pump();
    if (pump.Terminating()) {
        m_files.clear();
        return Outcome::Done;
    }
    if (m_files.isEmpty())
        return Outcome::Done;
    if (!m_startedUp)
        return Outcome::Waiting;
    if (m_model.Busy())
        return Outcome::RetryLater;
    // Opening pumps events: a file handed over meanwhile joins the queue and
    // is opened in this same walk.
    while (!m_files.isEmpty() && !pump.Terminating())
        Open(m_files.takeFirst());
    if (pump.Terminating())
        m_files.clear();
    return Outcome::Done;
}

void FileOpenQueue::Open(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (ProgramArguments::KindOf(path)) {
    case ProgramArguments::FileKind::State:
        // A file that could not be opened at all is said rather than passed
        // over; the loader has shown any other error of its own.
        if (!m_openers.loadState(path) && !m_model.Pump().Terminating())
            m_model.Status(QFileInfo(path).isFile()
                               ? QStringLiteral("Unable to load the state %1").arg(shown)
                               : QStringLiteral("Unable to load the state %1: no such file").arg(shown));
        break;
    case ProgramArguments::FileKind::Class:
        m_openers.selectClass(ProgramArguments::ClassNameOf(path));
        break;
    default:
        m_model.Status(QStringLiteral("Not opened: %1 is neither a browser state (.Kelvar) nor a class (.uc)")
                           .arg(shown));
        break;
    }
}

} // namespace kelvarin
