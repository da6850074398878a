#pragma once

#include "platform/Process.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

namespace kelvarin::test {

// A scratch directory for tests that start programs: bin/ holds our
// stand-ins under the names of the programs the code looks for, and is the
// whole PATH while the scratch is active; every stand-in appends its start
// (pid, argv[0], working directory, arguments) to the journal file here.
// The environment variables a test changes are put back when it ends.
class StandinScratch
{
public:
    struct Start
    {
        qint64 pid = 0;
        QString program;             // argv[0]
        QString workingDirectory;
        QStringList arguments;
    };

    StandinScratch()
    {
        QDir().mkpath(Bin());
        // Everything the code under test reads, kept so it can be restored.
        for (const char *name : {"PATH", "HOME", "DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME",
                                 "XDG_DATA_DIRS", "QT_QPA_PLATFORM", "KELVARIN_STANDIN_JOURNAL",
                                 "KELVARIN_STANDIN_STDOUT", "KELVARIN_STANDIN_EXIT"}) {
            Saved saved;
            saved.set = qEnvironmentVariableIsSet(name);
            saved.value = qgetenv(name);
            m_saved.insert(QByteArray(name), saved);
        }
        qputenv("PATH", QFile::encodeName(Bin()));
        qputenv("HOME", QFile::encodeName(Path(QStringLiteral("home"))));
        qputenv("KELVARIN_STANDIN_JOURNAL", QFile::encodeName(Journal()));
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                 "QT_QPA_PLATFORM", "KELVARIN_STANDIN_STDOUT", "KELVARIN_STANDIN_EXIT"})
            qunsetenv(name);
    }

    ~StandinScratch()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it->set)
                qputenv(it.key().constData(), it->value);
            else
                qunsetenv(it.key().constData());
        }
    }

    bool IsValid() const { return m_dir.isValid(); }
    QString Path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QString Bin() const { return Path(QStringLiteral("bin")); }
    QString Journal() const { return Path(QStringLiteral("journal.txt")); }

    // Puts a stand-in on PATH under name (a link to it); answers its path.
    QString AddProgram(const QString &name, const QString &standin = QStringLiteral(KELVARIN_GAME_STANDIN)) const
    {
        const QString path = Bin() + QLatin1Char('/') + name;
        QFile::link(standin, path);
        return path;
    }

    // Copies a stand-in to a path below the scratch with its run bits (a
    // real executable of this machine under the name the code looks for).
    QString CopyProgram(const QString &relative, const QString &standin = QStringLiteral(KELVARIN_GAME_STANDIN)) const
    {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        QFile::copy(standin, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        return path;
    }

    void Write(const QString &relative, const QByteArray &bytes, bool executable = false) const
    {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (executable)
            permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QFile::setPermissions(path, permissions);
    }

    QList<Start> Starts() const
    {
        QList<Start> starts;
        QFile file(Journal());
        if (!file.open(QIODevice::ReadOnly))
            return starts;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 3)
                continue;
            Start start;
            start.pid = fields.at(0).toLongLong();
            start.program = QString::fromUtf8(fields.at(1));
            start.workingDirectory = QString::fromUtf8(fields.at(2));
            for (qsizetype i = 3; i < fields.size(); ++i)
                start.arguments.append(QString::fromUtf8(fields.at(i)));
            starts.append(start);
        }
        return starts;
    }

private:
    struct Saved
    {
        bool set = false;
        QByteArray value;
    };

    QTemporaryDir m_dir;
    QHash<QByteArray, Saved> m_saved;
};

// Ends a started program when the test leaves the scope, failed or not:
// SIGTERM first, SIGKILL when that is not enough.
class EndOnExit
{
public:
    explicit EndOnExit(std::unique_ptr<Process> &process) : m_process(process) {}
    ~EndOnExit()
    {
        if (!m_process || m_process->Wait(0))
            return;
        m_process->Terminate(0);
        if (!m_process->Wait(5000)) {
            m_process->Terminate(0);
            m_process->Wait(-1);
        }
    }
    EndOnExit(const EndOnExit &) = delete;
    EndOnExit &operator=(const EndOnExit &) = delete;

private:
    std::unique_ptr<Process> &m_process;
};

// A fake ELF header: enough for a reader of the identification bytes and
// e_machine, nothing that runs.
inline QByteArray ElfHeader(int elfClass, int machine)
{
    QByteArray header(64, '\0');
    header[0] = '\x7F';
    header[1] = 'E';
    header[2] = 'L';
    header[3] = 'F';
    header[4] = char(elfClass);
    header[5] = 1;               // little-endian
    header[6] = 1;               // version
    header[16] = 2;              // ET_EXEC
    header[18] = char(machine & 0xFF);
    header[19] = char(machine >> 8);
    return header;
}

} // namespace kelvarin::test
