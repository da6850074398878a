#include "authoring/OrphanFinder.h"

#include "model/ClassModel.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

namespace kelvarin {

namespace {

// ".INT" and ".DLL": what is cut from a listed name to get its base name.
constexpr qsizetype kExtensionLength = 4;

QSet<QString> AsSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

// The base name of a listed .int or .dll file, upper-cased. The listing
// pattern guarantees the extension; a name shorter than it gives "".
QString UpperBase(const QString &name)
{
    return UpperCase(name.left(std::max<qsizetype>(0, name.size() - kExtensionLength)));
}

// Something is still at the path: a file, a directory or a link (a dangling
// link too, which QFileInfo::exists does not see).
bool StillThere(const QString &specPath)
{
    const QFileInfo info(SpecPath::ToNative(specPath));
    return info.exists() || info.isSymLink();
}

} // namespace

OrphanFinder::OrphanFinder(EventPump &pump)
    : m_pump(pump)
{
}

const QStringList &OrphanFinder::GameFileNames()
{
    static const QStringList names{
        QStringLiteral("WINDOW"),       QStringLiteral("BOSSSKINS"),      QStringLiteral("CLCD16"),
        QStringLiteral("CLCD32"),       QStringLiteral("COMMANDOSKINS"),  QStringLiteral("D3DDRV"),
        QStringLiteral("DPLAYERX"),     QStringLiteral("DRVMGT"),         QStringLiteral("FCOMMANDOSKINS"),
        QStringLiteral("GALAXY"),       QStringLiteral("GLIDEDRV"),       QStringLiteral("METALDRV"),
        QStringLiteral("MSVCRT"),       QStringLiteral("OPENGLDRV"),      QStringLiteral("RENDER"),
        QStringLiteral("SETUP"),        QStringLiteral("SGIRLSKINS"),     QStringLiteral("SGLDRV"),
        QStringLiteral("SOFTDRV"),      QStringLiteral("SOLDIERSKINS"),   QStringLiteral("STARTUP"),
        QStringLiteral("UNREALTOURNAMENT"), QStringLiteral("WINDRV")};
    return names;
}

bool OrphanFinder::IsGameFile(const QString &baseName)
{
    return GameFileNames().contains(UpperCase(baseName));
}

bool OrphanFinder::Keep() const
{
    return !m_stop && !m_pump.Terminating();
}

bool OrphanFinder::ListFiles(const QString &baseDir, const QString &pattern, QStringList &list,
                             bool upperCase)
{
    return ListFiles(baseDir, pattern, list, upperCase, nullptr);
}

bool OrphanFinder::ListFiles(const QString &baseDir, const QString &pattern, QStringList &list,
                             bool upperCase, QList<QByteArray> *nativeNames)
{
    list.clear();
    if (nativeNames)
        nativeNames->clear();
    // Everything but directories: a dangling link is listed too, so that
    // it can be cleared away like any other orphan.
    const FileSystem::Listing listing = FileSystem::ListWithKinds(baseDir + pattern);
    if (nativeNames)
        m_systemNative = listing.nativeDir;
    qsizetype i = 0;
    for (const FileSystem::Listing::Entry &entry : listing.entries) {
        if (entry.kind == FileSystem::Listing::Kind::Directory)
            continue;
        list.append(upperCase ? UpperCase(entry.name) : entry.name);
        if (nativeNames)
            nativeNames->append(entry.nativeName);
        if (i++ == 0)
            continue;
        m_pump.Pump();
        if (!Keep())
            return false;
    }
    return true;
}

void OrphanFinder::ClearOrphans()
{
    m_orphans.clear();
    m_keys.clear();
}

void OrphanFinder::AddOrphan(const QString &name, const QByteArray &nativeName)
{
    SortKey key(name);
    // After every name that sorts the same, so equal names keep the order
    // in which they were found.
    const auto at = std::upper_bound(m_keys.cbegin(), m_keys.cend(), key,
                                     [](const SortKey &a, const SortKey &b) { return a.Compare(b) < 0; });
    const qsizetype row = at - m_keys.cbegin();
    m_keys.insert(row, key);
    m_orphans.insert(row, Orphan{name, true, nativeName});
}

OrphanFinder::Outcome OrphanFinder::Search(const QString &baseDir, ClassModel *model)
{
    if (m_searching)
        return Outcome::ListingCut;   // a search is already running further up the stack
    std::optional<ClassModel::BusyScope> busy;
    if (model)
        busy.emplace(*model, QStringLiteral("searching for orphan files"));
    m_searching = true;
    m_stop = false;
    m_searchedBase = baseDir;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_searching};

    if (!ListFiles(baseDir, QStringLiteral("\\System\\*.int"), m_intList, false, &m_intNative)
        || !ListFiles(baseDir, QStringLiteral("\\System\\*.u"), m_uList, true)
        || !ListFiles(baseDir, QStringLiteral("\\Textures\\*.utx"), m_utxList, true)
        || !ListFiles(baseDir, QStringLiteral("\\Sounds\\*.uax"), m_uaxList, true)
        || !ListFiles(baseDir, QStringLiteral("\\System\\*.dll"), m_dllList, false, &m_dllNative))
        return Outcome::ListingCut;

    ClearOrphans();
    const QSet<QString> compiled = AsSet(m_uList);
    const QSet<QString> sounds = AsSet(m_uaxList);
    const QSet<QString> textures = AsSet(m_utxList);

    for (qsizetype i = 0; i < m_intList.size(); ++i) {
        const QString &name = m_intList.at(i);
        m_pump.Pump();
        if (!Keep())
            return Outcome::Stopped;
        const QString base = UpperBase(name);
        if (IsGameFile(base))
            continue;
        if (compiled.contains(base + QLatin1String(".U")) || sounds.contains(base + QLatin1String(".UAX"))
            || textures.contains(base + QLatin1String(".UTX")))
            continue;
        AddOrphan(name, m_intNative.at(i));
    }
    for (qsizetype i = 0; i < m_dllList.size(); ++i) {
        const QString &name = m_dllList.at(i);
        m_pump.Pump();
        if (!Keep())
            return Outcome::Stopped;
        const QString base = UpperBase(name);
        if (!IsGameFile(base) && !compiled.contains(base + QLatin1String(".U")))
            AddOrphan(name, m_dllNative.at(i));
    }
    return Outcome::Done;
}

QStringList OrphanFinder::OrphanNames() const
{
    QStringList names;
    names.reserve(m_orphans.size());
    for (const Orphan &orphan : m_orphans)
        names.append(orphan.name);
    return names;
}

int OrphanFinder::CheckedCount() const
{
    return int(std::count_if(m_orphans.cbegin(), m_orphans.cend(),
                             [](const Orphan &orphan) { return orphan.checked; }));
}

void OrphanFinder::SetChecked(int row, bool checked)
{
    if (row >= 0 && row < m_orphans.size())
        m_orphans[row].checked = checked;
}

QString OrphanFinder::OrphanPath(const QString &name) const
{
    return m_searchedBase + QLatin1String("\\System\\") + name;
}

QStringList OrphanFinder::DeleteCheckedOrphans(Prompter &prompter)
{
    // The list is emptied before anything can run in between (the message
    // box below runs an event loop).
    const QList<Orphan> orphans = m_orphans;
    ClearOrphans();
    QStringList failed;
    for (const Orphan &orphan : orphans) {
        if (!orphan.checked)
            continue;
        // Names come from a listing of that directory, so they are single
        // components; checked all the same, as nothing is ever deleted
        // outside it.
        if (!SpecPath::IsSafeComponent(orphan.name)) {
            failed.append(orphan.name);
            continue;
        }
        const QString path = OrphanPath(orphan.name);
        // Found by a listing: removed by the name the file system holds (the
        // link itself for a link). A file that went away meanwhile is no
        // failure: it is gone, as asked.
        const bool gone = orphan.nativeName.isEmpty()
            ? FileSystem::RemoveFile(path) || !StillThere(path)
            : FileSystem::RemoveListed(m_systemNative, orphan.nativeName);
        if (!gone)
            failed.append(SpecPath::Display(path));
    }
    if (!failed.isEmpty())
        prompter.Error(QLatin1String(FailedMessage) + QLatin1Char('\n') + failed.join(QLatin1Char('\n')));
    return failed;
}

bool OrphanFinder::ConfirmAndDeleteOrphans(Prompter &prompter)
{
    const int count = CheckedCount();
    if (count == 0)
        return true;
    if (!prompter.Confirm(QString::fromLatin1(DeleteQuestion).arg(count)))
        return false;
    return DeleteCheckedOrphans(prompter).isEmpty();
}

} // namespace kelvarin
