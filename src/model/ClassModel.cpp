#include "model/ClassModel.h"

#include "model/TextRules.h"
#include "package/PackageFile.h"
#include "model/Options.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/SpecPath.h"

#include <QHash>
#include <QSet>

namespace kelvarin {

ClassModel::ClassModel(const TOptions &options, EventPump &pump, Prompter &prompter)
    : m_options(options), m_pump(pump), m_prompter(prompter)
{
}

void ClassModel::Status(const QString &text)
{
    if (m_status)
        m_status(text);
}

void ClassModel::ShowProcess(const QString &text)
{
    if (m_process)
        m_process(text);
}

ClassModel::BusyScope::BusyScope(ClassModel &model, const QString &what)
    : m_model(model), m_previous(model.m_busyWith)
{
    ++m_model.m_busy;
    m_model.m_busyWith = what;
}

ClassModel::BusyScope::~BusyScope()
{
    --m_model.m_busy;
    m_model.m_busyWith = m_previous;
}

void ClassModel::ResetModel(const QHash<QString, QString> &knownClasses)
{
    m_browser.Clear();
    m_packagesBrowser.Clear();
    m_browser.Select(m_browser.Add(nullptr, QStringLiteral("Classes")));
    m_packagesBrowser.Select(m_packagesBrowser.Add(nullptr, QStringLiteral("Packages")));
    m_files.Clear();
    m_bindings.Clear();
    m_packageList.Clear();
    m_compiledClasses.clear();
    ForgetMemo();
    ListPackageDirs(knownClasses);
    // The status bar must not go on counting the classes just dropped.
    Status(QString::number(ClassCount()) + QLatin1String(" classes loaded"));
}

TreeNode *ClassModel::FindNode(Tree &tree, const QString &name)
{
    return FindNodeUpper(tree, UpperCase(name));
}

TreeNode *ClassModel::FindNodeUpper(Tree &tree, const QString &upperName)
{
    TreeNode *root = tree.First();
    if (!root || !root->HasChildren())
        return nullptr;
    // The tree keeps an index of its nodes by upper-cased text, so the walk in
    // display order reduces to choosing the first of the candidates below the
    // root in pre-order.
    m_pump.Pump();
    if (m_pump.Terminating())
        return nullptr;
    const Tree::NodeList *candidates = tree.NodesNamed(upperName);
    if (!candidates)
        return nullptr;
    // With one top-level node (the usual tree) every other node lies below
    // the root, and the walk up a deep branch is spared.
    const bool onlyRoot = tree.TopLevelCount() == 1;
    TreeNode *best = nullptr;
    for (TreeNode *node : *candidates) {
        if (onlyRoot ? node == root : !Tree::IsDescendant(node, root))
            continue;
        if (!best || Tree::PrecedesInPreorder(node, best))
            best = node;
    }
    return best;
}

TreeNode *ClassModel::FindNode(TreeNode *node, const QString &upperName)
{
    if (!node || !node->HasChildren())
        return nullptr;
    // Iterative pre-order walk of the descendants: trees read from files can
    // be deeper than the stack would allow recursion.
    const TreeNode *stop = node;
    TreeNode *current = node->Child(0);
    while (current) {
        m_pump.Pump();
        if (m_pump.Terminating())
            return nullptr;
        if (current->UpperText() == upperName)
            return current;
        if (current->HasChildren()) {
            current = current->Child(0);
            continue;
        }
        // Next sibling, or the next sibling of the nearest ancestor below node.
        while (current != stop) {
            TreeNode *parent = current->Parent();
            if (current->Row() + 1 < parent->ChildCount()) {
                current = parent->Child(current->Row() + 1);
                break;
            }
            current = parent;
        }
        if (current == stop)
            return nullptr;
    }
    return nullptr;
}

QString ClassModel::FindPackage(const QString &className)
{
    const QString upperClass = UpperCase(className);
    for (const QString &entry : m_bindings.Entries()) {
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        // A malformed entry (no "&", or "&" first) says nothing about any
        // class; it is passed over so the entries after it still count.
        if (amp <= 0)
            continue;
        const qsizetype classLength = entry.size() - amp - 1;
        if (classLength != upperClass.size())
            continue;
        if (UpperCase(entry.mid(amp + 1)) == upperClass)
            return entry.left(amp);
    }
    return QString::fromLatin1(UnknownPackage);
}

bool ClassModel::IsPackageLoaded(const QString &package)
{
    if (m_packagesBrowser.Count() < 2)
        return false;
    TreeNode *root = m_packagesBrowser.First();
    const QString upper = UpperCase(package);
    for (int row = 0; row < root->ChildCount(); ++row) {
        m_pump.Pump();
        if (m_pump.Terminating())
            return false;
        if (root->Child(row)->UpperText() == upper)
            return true;
    }
    return false;
}

bool ClassModel::AddToPackageTree(Tree &packageTree, const QString &package, bool merge,
                                  const QString &name, const QString &upperName)
{
    TreeNode *root = packageTree.First();
    if (!root)
        root = packageTree.Add(nullptr, QStringLiteral("Packages"));
    // The first package node of that name: among the nodes the tree indexes
    // under the name, the earliest child of the root.
    TreeNode *packageNode = nullptr;
    if (const Tree::NodeList *named = packageTree.NodesNamed(UpperCase(package))) {
        for (TreeNode *node : *named)
            if (node->Parent() == root && (!packageNode || node->Row() < packageNode->Row()))
                packageNode = node;
    }
    if (!packageNode) {
        packageNode = packageTree.Add(root, package);
        packageTree.Select(packageNode);
    }
    const bool intFile = name == QLatin1String(IntFileMarker);
    const bool iniFile = name == QLatin1String(IniFileMarker);
    const QString upper = upperName.isNull() ? UpperCase(name) : upperName;
    if (merge) {
        for (int row = 0; row < packageNode->ChildCount(); ++row) {
            const QString &childUpper = packageNode->Child(row)->UpperText();
            if (childUpper == upper
                || (intFile && childUpper.contains(QLatin1String(".INT")))
                || (iniFile && childUpper.contains(QLatin1String(".INI"))))
                return true;
        }
    }
    if (intFile)
        packageTree.Add(packageNode, package + QLatin1String(".int"), 4);
    else if (iniFile)
        packageTree.Add(packageNode, package + QLatin1String(".ini"), 6);
    else
        packageTree.Add(packageNode, name, upper);
    return true;
}

int ClassModel::BrowserCompare(const TreeNode &node1, const TreeNode &node2)
{
    // Image indices are assigned when nodes are added, so file nodes are
    // already known here.
    const int image1 = node1.ImageIndex();
    const int image2 = node2.ImageIndex();
    if (image1 == 4 || image1 == 6)
        return 1;
    if (image2 == 4 || image2 == 6)
        return -1;
    return CompareText(node1.Text(), node1.UpperText(), node2.Text(), node2.UpperText());
}

void ClassModel::SortTrees()
{
    const auto less = [](const TreeNode &a, const TreeNode &b) {
        return BrowserCompare(a, b) < 0;
    };
    m_browser.Sort(less);
    m_packagesBrowser.Sort(less);
}

void ClassModel::ListPackageDirs(const QHash<QString, QString> &knownClasses)
{
    const QString base = m_options.BaseDir;
    // A package's name becomes part of game paths built with backslashes:
    // a directory named with a separator ("..\\outside", possible off
    // Windows), or "." or "..", would lead out of its own directory.
    QStringList dirs = FileSystem::List(base + QLatin1String("\\*"), FileSystem::ListWhat::Directories);
    dirs.removeIf([](const QString &name) { return !SpecPath::IsSafeComponent(name); });
    QStringList sources;
    QStringList likely;
    sources.reserve(dirs.size());
    likely.reserve(knownClasses.isEmpty() ? 0 : dirs.size());
    for (const QString &name : dirs) {
        sources.append(base + QLatin1Char('\\') + name + QLatin1String("\\Classes\\*.uc"));
        if (!knownClasses.isEmpty()) {
            const QString known = knownClasses.value(UpperCase(name));
            likely.append(known.isEmpty() ? QString() : known + QLatin1String(".uc"));
        }
    }
    const std::vector<char> hasSources = FileSystem::AnyMatchEach(sources, m_pump, likely);
    for (qsizetype at = 0; at < dirs.size(); ++at) {
        m_pump.Pump();
        if (m_pump.Terminating())
            return;
        const QString &name = dirs.at(at);
        if (!hasSources[size_t(at)])
            continue;
        if (m_packageList.IndexOf(name) < 0)
            m_packageList.Add(name);
    }
    if (!m_options.bReadCompiledPackages)
        return;
    // Packages without sources that have a compiled file can be loaded
    // from it. Files that are not game packages (the UCC stand-in's
    // containers, anything else named *.u) are no such package.
    const QString system = base + QLatin1String("\\System\\");
    for (const QString &file : CompiledFileNames()) {
        m_pump.Pump();
        if (m_pump.Terminating())
            return;
        const QString package = file.chopped(2);
        if (!IsIdentifier(package, NameLetters::Latin1) || m_packageList.IndexOf(package) >= 0)
            continue;
        if (PackageFile::HasPackageTag(system + file))
            m_packageList.Add(package);
    }
}

QStringList ClassModel::CompiledFileNames() const
{
    QStringList files = FileSystem::List(m_options.BaseDir + QLatin1String("\\System\\*.u"), FileSystem::ListWhat::Files);
    // The pattern's match is the file system's: keep only names that do end in ".u".
    files.removeIf([](const QString &name) { return !name.endsWith(QLatin1String(".u"), Qt::CaseInsensitive); });
    return files;
}

bool ClassModel::IsCompiledClass(const QString &className) const
{
    return !m_compiledClasses.isEmpty() && m_compiledClasses.contains(UpperCase(className));
}

void ClassModel::MarkCompiledClasses(const QStringList &classNames, bool compiled)
{
    for (const QString &name : classNames) {
        if (compiled)
            m_compiledClasses.insert(UpperCase(name));
        else if (!m_compiledClasses.isEmpty())
            m_compiledClasses.remove(UpperCase(name));
    }
}

QString ClassModel::CompiledPackagePath(const QString &package) const
{
    return m_options.BaseDir + QLatin1String("\\System\\") + package + QLatin1String(".u");
}

bool ClassModel::ReadsCompiledPackage(const QString &package) const
{
    // Opening one file is cheaper than listing a directory: a package with
    // no compiled file is answered without its listing.
    return m_options.bReadCompiledPackages && PackageFile::HasPackageTag(CompiledPackagePath(package))
        && !FileSystem::AnyMatch(m_options.BaseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\*.uc"));
}

void ClassModel::FindCompiledClasses()
{
    if (!m_options.bReadCompiledPackages)
        return;
    // Bindings are "package&class"; each package is asked once, and only
    // one with a compiled file in the System directory (listed once here, as
    // most games have sources for nearly every package) is asked at all.
    QSet<QString> compiledFiles;
    for (const QString &file : CompiledFileNames())
        compiledFiles.insert(UpperCase(file.chopped(2)));
    QHash<QString, bool> compiledPackages;
    QStringList classes;
    // The entries are sorted, so a package's come one after the other: an
    // entry with the very same package text as the one before has its answer.
    QStringView lastPackage;
    bool lastAnswer = false;
    for (const QString &entry : m_bindings.Entries()) {
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        if (amp <= 0)
            continue;
        const QStringView packageText = QStringView(entry).left(amp);
        if (lastPackage.isNull() || packageText != lastPackage) {
            const QString package = UpperCase(packageText.toString());
            auto known = compiledPackages.find(package);
            if (known == compiledPackages.end())
                known = compiledPackages.insert(package, compiledFiles.contains(package)
                                                             && ReadsCompiledPackage(packageText.toString()));
            lastPackage = packageText;
            lastAnswer = known.value();
        }
        if (lastAnswer)
            classes.append(entry.mid(amp + 1));
    }
    MarkCompiledClasses(classes, true);
}

void ClassModel::MarkLastCompiledPackage()
{
    const QString last = UpperCase(m_options.LastCompiledPackage);
    if (last.isEmpty())
        return;
    TreeNode *root = m_packagesBrowser.First();
    if (!root || !root->HasChildren())
        return;
    for (int row = 0; row < root->ChildCount(); ++row) {
        TreeNode *child = root->Child(row);
        m_packagesBrowser.SetImageIndex(child, child->UpperText() == last ? 5 : 3);
    }
}

QString ClassModel::BusyRefusal() const
{
    if (m_busyWith.isEmpty())
        return QStringLiteral("Please wait until the running operation has finished.");
    return QStringLiteral("Please wait until the running operation has finished (%1).").arg(m_busyWith);
}

bool ClassModel::RefuseWhileBusy()
{
    if (!Busy())
        return false;
    Status(BusyRefusal());
    return true;
}

int ClassModel::ClassCount() const
{
    return m_browser.Count() > 0 ? m_browser.Count() - 1 : 0;
}

} // namespace kelvarin
