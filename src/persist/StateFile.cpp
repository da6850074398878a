#include "persist/StateFile.h"

#include "model/ClassModel.h"
#include "model/SortedList.h"
#include "model/TextRules.h"
#include "persist/TreeText.h"
#include "platform/BackgroundThread.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/FileSetWriter.h"
#include "platform/FileSystem.h"
#include "platform/SpecPath.h"
#include "platform/TextFile.h"

#include <QSet>

#include <algorithm>
#include <future>
#include <iterator>
#include <system_error>
#include <vector>

namespace kelvarin {

namespace {

QByteArray ReadCompanion(const QString &path)
{
    std::optional<QByteArray> bytes = TextFile::ReadRaw(path);
    if (!bytes)
        throw KelvarinError(QStringLiteral("Cannot open file %1").arg(SpecPath::Display(path)));
    return std::move(*bytes);
}

[[noreturn]] void CannotCreate(const QString &path)
{
    throw KelvarinError(QStringLiteral("Cannot create file %1").arg(SpecPath::Display(path)));
}

// A state file's text (every line ended by CR LF) as written: Latin-1,
// unless that cannot give the same text back (a name outside Latin-1, or a
// first line whose bytes would read as a byte-order mark); then UTF-8 with a
// byte-order mark, which the reader decodes (or UTF-16, see below).
QByteArray Encoded(const QString &text)
{
    const bool fits = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (fits) {
        const QByteArray latin1 = TextFile::Encode(text, TextEncoding::Latin1);
        // Read back, bytes that open like a byte-order mark would pick another encoding.
        const auto *data = reinterpret_cast<const unsigned char *>(latin1.constData());
        const bool markLike = latin1.size() >= 2
            && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)
                || (latin1.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF));
        if (!markLike)
            return latin1;
    }
    // UTF-8 cannot hold a surrogate that is not half of a pair (a UTF-16
    // state read in can), and a reader drops a U+FEFF right after the mark:
    // then UTF-16, which keeps every code unit.
    if (text.startsWith(QChar(0xFEFF)))
        return TextFile::Encode(text, TextEncoding::Utf16LE);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return TextFile::Encode(text, TextEncoding::Utf16LE);
    }
    return TextFile::Encode(text, TextEncoding::Utf8Bom);
}

// Lines, each ended by CR LF, as written.
QByteArray Lines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return Encoded(text);
}

// The packages a saved package tree file holds: the nodes one level below a root.
QSet<QString> PackagesOfTree(const QByteArray &file)
{
    // The packages are the children of the top-level nodes as the tree reader
    // builds them: the first node is top-level whatever its indentation, and a
    // line's parent is found by the same stack of levels.
    QSet<QString> packages;
    std::vector<qsizetype> levels;   // the levels of the path to the last node
    bool invalid = false;
    TextFile::ForEachLineOfBytes(file, [&](auto line) {
        if (invalid)
            return;
        qsizetype level = 0;
        while (level < line.size() && (line.at(level) == QLatin1Char('\t') || line.at(level) == QLatin1Char(' ')))
            ++level;
        if (level == line.size())
            return;
        if (!levels.empty() && level > levels.back() + 1) {
            invalid = true;   // the reader refuses such a tree with its own message
            return;
        }
        if (!levels.empty() && level <= levels.back()) {
            while (!levels.empty() && levels.back() > level)
                levels.pop_back();
            if (!levels.empty() && levels.back() == level)
                levels.pop_back();
        }
        levels.push_back(level);
        if (levels.size() == 2)
            packages.insert(UpperCase(Trim(line.sliced(level).toString())));
    });
    return packages;
}

// Work that runs on a helper thread while the caller goes on, when it is large
// enough to be worth a thread; small work runs when its result is asked for.
// The future's owner waits for the thread on any way out, so the work may
// refer to the caller's locals declared before it. A failure in the work is
// raised by get(). Where no thread can be had, the work is done when its
// result is asked for, as small work is.
template <typename Work>
auto Ahead(bool large, Work &&work)
{
    if (large) {
        try {
            // The helper yields the cores to the window's thread.
            return std::async(std::launch::async, [work] {
                BackgroundThread::LowerPriority();
                return work();
            });
        } catch (const std::system_error &) {
        }
    }
    return std::async(std::launch::deferred, std::forward<Work>(work));
}

// The lines of a saved binding list, and whether they are in the list's
// order (as saved, unless edited by hand).
struct Bindings
{
    QStringList entries;
    bool inOrder = false;
};

Bindings ReadBindings(const QByteArray &file)
{
    Bindings bindings;
    bindings.entries.reserve(std::count(file.cbegin(), file.cend(), '\n') + 1);
    TextFile::ForEachLineOfBytes(file, [&bindings](auto line) { bindings.entries.append(line.toString()); });
    bindings.inOrder = SortedList::IsInOrder(bindings.entries);
    return bindings;
}

// The packages a saved binding list file names (trimmed and upper-cased),
// each with one of its classes.
QHash<QString, QString> BoundPackages(const QByteArray &file)
{
    QHash<QString, QString> packages;
    // The bindings are sorted: a package's come one after the other, and an
    // entry with the very same package text as the one before is answered.
    QString lastPackage;
    bool any = false;
    TextFile::ForEachLineOfBytes(file, [&](auto line) {
        const qsizetype amp = line.indexOf(QLatin1Char('&'));
        if (amp < 0 || (any && line.left(amp) == lastPackage))
            return;
        any = true;
        lastPackage = line.left(amp).toString();
        packages.insert(UpperCase(Trim(lastPackage)), line.sliced(amp + 1).toString());
    });
    return packages;
}

} // namespace

StateFile::StateFile(ClassModel &model)
    : m_model(model)
{
}

QString StateFile::BaseName(const QString &fileName)
{
    const qsizetype at = UpperCase(fileName).indexOf(QLatin1String(".KELVAR"));
    return at < 0 ? QString() : fileName.left(at);
}

bool StateFile::SaveState(const QString &fileName)
{
    const QString base = BaseName(fileName);
    if (base.isEmpty())
        return false;
    QStringList ticked;
    const PackageList &packages = m_model.Packages();
    for (int row = 0; row < packages.Count(); ++row)
        if (packages.MarkAt(row) == PackageList::Mark::Checked)
            ticked.append(packages.Text(row));
    // The four files are written in full before any of them replaces its old
    // version, and the state file is put in place last: a save that fails or
    // is cut short before the renames leaves the old set whole, and a state
    // file never stands beside companions older than itself.
    m_model.Status(QStringLiteral("Saving: ") + base);
    const QString paths[] = {base + QLatin1String(".UTree"), base + QLatin1String(".UPack"),
                             base + QLatin1String(".UBind"), fileName};
    // The class tree's text, the largest, is made on a helper thread while
    // this one makes the others. The wait for it runs no events: nothing may
    // change the model while the helper reads it.
    constexpr int LargeTree = 1000;
    const Tree &classes = m_model.Browser();
    auto classText = Ahead(classes.Count() >= LargeTree,
                           [&classes] { return Encoded(TreeText::WriteText(classes)); });
    const QByteArray packageText = Encoded(TreeText::WriteText(m_model.PackagesBrowser()));
    const QByteArray bindingText = Lines(m_model.Bindings().Entries());
    const QByteArray contents[] = {classText.get(), packageText, bindingText, Lines(ticked)};
    FileSetWriter files;
    for (size_t i = 0; i < std::size(paths); ++i)
        if (!files.Stage(paths[i], contents[i]))
            CannotCreate(paths[i]);
    QString failed;
    if (!files.Commit(&failed))
        CannotCreate(failed);
    m_model.Status(QStringLiteral("Done"));
    return true;
}

bool StateFile::LoadState(const QString &fileName)
{
    const QString base = BaseName(fileName);
    if (base.isEmpty())
        return false;
    const std::optional<QString> state = TextFile::ReadAll(fileName);
    if (!state)
        return false;
    // All four files are read before the model changes, so that a set that
    // cannot be loaded leaves the model as it was. The two trees and the
    // bindings are built on helper threads, apart from the model, each as soon
    // as its file is read; the model takes them once all is known to fit.
    // (Each file, tree and result is declared before the work that refers to
    // it: a failure below waits for that work before they go.)
    // The window handles its events between the steps (the model does not
    // change before the reset below).
    EventPump &pump = m_model.Pump();
    const auto stopped = [&pump] {
        pump.Pump();
        return pump.Terminating();
    };
    Tree &browser = m_model.Browser();
    Tree &packageTree = m_model.PackagesBrowser();
    Tree classNodes(browser.TreeKind(), browser);
    Tree packageNodes(packageTree.TreeKind(), packageTree);
    constexpr qsizetype LargeFile = 32 * 1024;
    // A node with its texts takes about twenty times its line's characters;
    // a binding about four.
    const QByteArray classTreeFile = ReadCompanion(base + QLatin1String(".UTree"));
    auto classesRead = Ahead(classTreeFile.size() >= LargeFile, [&] {
        BackgroundThread::ReserveHeap(20 * classTreeFile.size());
        TreeText::ReadBytes(classNodes, classTreeFile);
    });
    if (stopped())
        return false;
    const QByteArray packageTreeFile = ReadCompanion(base + QLatin1String(".UPack"));
    auto packagesRead = Ahead(packageTreeFile.size() >= LargeFile, [&] {
        BackgroundThread::ReserveHeap(20 * packageTreeFile.size());
        TreeText::ReadBytes(packageNodes, packageTreeFile);
    });
    if (stopped())
        return false;
    const QByteArray bindingsFile = ReadCompanion(base + QLatin1String(".UBind"));
    auto bindingsRead = Ahead(bindingsFile.size() >= LargeFile, [&bindingsFile] {
        BackgroundThread::ReserveHeap(4 * bindingsFile.size());
        return ReadBindings(bindingsFile);
    });
    if (stopped())
        return false;

    QStringList ticked;
    QSet<QString> tickedUpper;
    for (const QString &piece : TextFile::SplitPieces(*state, 254)) {
        const QString name = Trim(piece);
        if (name.isEmpty())
            continue;
        ticked.append(name);
        tickedUpper.insert(UpperCase(name));
    }
    // The four files are renamed into place one after the other; a save cut
    // short between those renames leaves a state file beside companions of
    // another save. Every package the trees and the bindings hold was ticked
    // when they were saved. (This runs while the helpers build.)
    const QHash<QString, QString> boundPackages = BoundPackages(bindingsFile);
    if (stopped())
        return false;
    const auto wasTicked = [&tickedUpper](const QString &package) { return tickedUpper.contains(package); };
    const QStringList bound = boundPackages.keys();
    if (!PackagesOfTree(packageTreeFile).subtract(tickedUpper).isEmpty()
        || !std::all_of(bound.begin(), bound.end(), wasTicked))
        throw KelvarinError(QString::fromLatin1(NotTogetherMessage).arg(SpecPath::Display(fileName)));
    if (stopped())
        return false;

    // The bound classes' files are where the package directories are looked
    // for sources: found, a directory need not be listed.
    m_model.ResetModel(boundPackages);
    m_model.Status(QStringLiteral("Loading: ") + base);
    PackageList &packages = m_model.Packages();
    for (const QString &name : std::as_const(ticked)) {
        pump.Pump();
        if (pump.Terminating())
            return false;
        int row = packages.IndexOf(name);
        if (row < 0)
            row = packages.Add(name);
        packages.SetMark(row, PackageList::Mark::Checked);
    }
    // A tree that turns out invalid is taken as far as it was read, and the
    // later ones not at all, as if they had been read one after the other.
    WaitPumping(classesRead, pump);
    browser.TakeNodes(classNodes);
    classesRead.get();
    WaitPumping(packagesRead, pump);
    packageTree.TakeNodes(packageNodes);
    packagesRead.get();
    WaitPumping(bindingsRead, pump);
    const Bindings bindings = bindingsRead.get();
    if (bindings.inOrder)
        m_model.Bindings().AssignInOrder(bindings.entries);
    else
        m_model.Bindings().Assign(bindings.entries);
    // The state does not record which classes came from compiled packages.
    m_model.FindCompiledClasses();

    if (browser.Count() > 2)
        browser.Select(browser.NodeAt(2));
    else if (browser.Count() > 1)
        browser.Select(browser.NodeAt(1));
    if (packageTree.Count() > 1)
        packageTree.Select(packageTree.NodeAt(1));
    m_model.Status(QStringLiteral("Done"));
    return true;
}

bool StateFile::SaveDefaultState()
{
    FileSystem::MakeDir(QString::fromLatin1(DefaultDir));
    return SaveState(QString::fromLatin1(DefaultState));
}

} // namespace kelvarin
