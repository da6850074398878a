#include "platform/StagedFile.h"
#include "platform/StagedFile_p.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace kelvarin {

QString Detail::TemporaryName(const QString &target)
{
    return target + QStringLiteral(".kelvarin-%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

namespace {

// The file a write through native reaches: a symbolic link is followed to
// its final target (relative links from the link's own directory), so that
// the link stays a link and the file it leads to gets the new content. A
// chain that never ends is left as it is (the rename then replaces the link).
QString FollowLinks(const QString &native)
{
    QString target = native;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymbolicLink())
            return target;
        const QString next = info.symLinkTarget();
        if (next.isEmpty())
            return native;
        target = next;
    }
    return native;
}

} // namespace

StagedFile::StagedFile(const QString &native)
    : m_target(FollowLinks(native))
{
}

StagedFile::~StagedFile()
{
    Discard();
}

void StagedFile::Discard()
{
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}

bool StagedFile::SetPermissions(QFileDevice::Permissions permissions)
{
    return !m_temporary.isEmpty() && QFile::setPermissions(m_temporary, permissions);
}

bool StagedFile::WriteFile(const QString &native, const QByteArray &bytes)
{
    StagedFile file(native);
    return file.Write(bytes) && file.Commit();
}

bool StagedFile::TargetHolds(const QByteArray &bytes) const
{
    const QFileInfo info(m_target);
    if (!info.isFile() || info.size() != bytes.size())
        return false;
    QFile current(m_target);
    return current.open(QIODevice::ReadOnly) && current.readAll() == bytes;
}

bool StagedFile::WriteFileIfChanged(const QString &native, const QByteArray &bytes)
{
    StagedFile file(native);
    return file.TargetHolds(bytes) || (file.Write(bytes) && file.Commit());
}

} // namespace kelvarin
