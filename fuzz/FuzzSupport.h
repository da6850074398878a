#pragma once

#include "model/ClassModel.h"
#include "model/Options.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "support/ScriptedPrompter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the input as bytes, a private scratch
// directory for readers that take a path, and the abort that makes libFuzzer
// keep the input of a failed check.
namespace kelvarin::fuzz {

// A private directory for one fuzzing process, below $KELVARIN_FUZZ_SCRATCH
// when set (scripts/fuzz.sh), else /dev/shm when there is one, else the
// temporary directory. Emptied for every input.
class Scratch
{
public:
    Scratch();

    // The directory as the program's BaseDir option would hold it.
    QString Base() const { return m_dir.path(); }
    // Base() + "\" + relative with backslashes: a path as the core builds one.
    QString GamePath(const QString &relative) const;
    QString Native(const QString &relative) const;

    // Removes everything below the directory.
    void Reset();
    void Write(const QString &relative, const QByteArray &bytes) const;
    QByteArray Read(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

// The scratch directory of this process, made on first use.
Scratch &TheScratch();
// The scratch directory emptied, then holding bytes at relative.
Scratch &ScratchWith(const QString &relative, const QByteArray &bytes);

// A class model reset on a game directory, with no events and scripted
// message boxes.
struct Model
{
    TOptions options;
    NullEventPump pump;
    test::ScriptedPrompter prompter;
    ClassModel model{options, pump, prompter};

    explicit Model(const QString &base)
    {
        options.BaseDir = base;
        model.ResetModel();
    }
};

inline QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input cut at its first parts - 1 separator bytes into exactly parts
// pieces (missing ones empty).
QList<QByteArray> Split(const QByteArray &input, char separator, int parts);

// Prints what failed and traps, so libFuzzer reports the input as a crash.
[[noreturn]] void Fail(const char *what, const QString &detail = QString());

inline void Check(bool ok, const char *what, const QString &detail = QString())
{
    if (!ok)
        Fail(what, detail);
}

// What f answers; an error it raises fails the check what.
template <typename F>
auto NoError(const char *what, F &&f)
{
    try {
        return f();
    } catch (const KelvarinError &error) {
        Fail(what, error.Message());
    }
}

} // namespace kelvarin::fuzz
