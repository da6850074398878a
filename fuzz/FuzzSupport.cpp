#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace kelvarin::fuzz {

namespace {

// The scratch directory once made, so that a failed check can remove it
// before the process ends without running destructors.
QTemporaryDir *madeScratchDir = nullptr;

QString ScratchParent()
{
    const QString chosen = qEnvironmentVariable("KELVARIN_FUZZ_SCRATCH");
    if (!chosen.isEmpty())
        return chosen;
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        return shm.filePath();
    return QDir::tempPath();
}

} // namespace

Scratch::Scratch()
    : m_dir(ScratchParent() + QStringLiteral("/kelvarin-fuzz-XXXXXX"))
{
    if (!m_dir.isValid())
        Fail("no scratch directory", m_dir.errorString());
    madeScratchDir = &m_dir;
}

QString Scratch::GamePath(const QString &relative) const
{
    QString path = relative;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return Base() + QLatin1Char('\\') + path;
}

QString Scratch::Native(const QString &relative) const
{
    return Base() + QLatin1Char('/') + relative;
}

void Scratch::Reset()
{
    QDir(Base()).removeRecursively();
    QDir().mkpath(Base());
}

void Scratch::Write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = Native(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        Fail("cannot write a scratch file", path);
}

QByteArray Scratch::Read(const QString &relative) const
{
    QFile file(Native(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Scratch &TheScratch()
{
    static Scratch scratch;
    return scratch;
}

Scratch &ScratchWith(const QString &relative, const QByteArray &bytes)
{
    Scratch &scratch = TheScratch();
    scratch.Reset();
    scratch.Write(relative, bytes);
    return scratch;
}

QList<QByteArray> Split(const QByteArray &input, char separator, int parts)
{
    QList<QByteArray> pieces;
    qsizetype start = 0;
    while (pieces.size() < parts - 1) {
        const qsizetype at = input.indexOf(separator, start);
        if (at < 0)
            break;
        pieces.append(input.mid(start, at - start));
        start = at + 1;
    }
    pieces.append(input.mid(start));
    while (pieces.size() < parts)
        pieces.append(QByteArray());
    return pieces;
}

// The text with controls and non-ASCII as \uXXXX, for messages.
static QString Escaped(const QString &text)
{
    QString shown;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

void Fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", Escaped(detail).toUtf8().constData());
    std::fflush(stderr);
    if (madeScratchDir)
        madeScratchDir->remove();
    __builtin_trap();
}

} // namespace kelvarin::fuzz
