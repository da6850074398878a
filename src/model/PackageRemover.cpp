#include "model/PackageRemover.h"

#include "model/ClassLocator.h"
#include "model/ClassModel.h"
#include "model/DeclarationParser.h"
#include "model/TextRules.h"
#include "model/Options.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "platform/SpecPath.h"

#include <QSet>

namespace kelvarin {

namespace {

const QString kBigBug = QStringLiteral(
    "This package can not be removed.\r\nThis has nothing to do with the pacakge,\r\nit is just a "
    "big bug.\r\n\r\nKelvarin has to shut down now, because\r\nmemory might be heavily "
    "corrupted.\r\nI'm sorry.");

QString SourcePath(const QString &base, const QString &package, const QString &className)
{
    return base + QLatin1Char('\\') + package + QLatin1String("\\Classes\\") + className
        + QLatin1String(".uc");
}

} // namespace

QStringList PackageRemover::PackagesBinding(const QString &className)
{
    QStringList packages;
    const QString upperClass = UpperCase(className);
    for (const QString &entry : m_model.Bindings().Entries()) {
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        if (amp <= 0 || entry.size() - amp - 1 != upperClass.size())
            continue;
        if (UpperCase(entry.mid(amp + 1)) == upperClass)
            packages.append(entry.left(amp));
    }
    return packages;
}

QString PackageRemover::PackageOfClassNode(const TreeNode &classNode)
{
    // Two packages may each have a class of the same name; the class tree
    // then holds two nodes of that name. The one meant is the package whose
    // source names this node's parent as its parent class.
    const QStringList packages = PackagesBinding(classNode.Text());
    if (packages.size() < 2 || !classNode.Parent() || !SpecPath::IsSafeComponent(classNode.Text()))
        return m_model.FindPackage(classNode.Text());
    const QString base = m_model.Options().BaseDir;
    for (const QString &package : packages) {
        if (!SpecPath::IsSafeComponent(package))
            continue;
        const QString parent = DeclarationParser::FindParentClass(
            SourcePath(base, package, classNode.Text()), m_model.Pump());
        if (m_model.Pump().Terminating())
            return m_model.FindPackage(classNode.Text());
        if (!parent.isEmpty() && UpperCase(parent) == classNode.Parent()->UpperText())
            return package;
    }
    return m_model.FindPackage(classNode.Text());
}

TreeNode *PackageRemover::ClassNodeOf(const QString &className, const QString &package)
{
    TreeNode *first = m_model.FindNode(m_model.Browser(), className);
    const Tree::NodeList *named = m_model.Browser().NodesNamed(UpperCase(className));
    if (!first || !named || named->size() < 2 || !SpecPath::IsSafeComponent(package)
        || !SpecPath::IsSafeComponent(className))
        return first;
    // Several classes of that name: the one whose parent the package's own
    // source declares.
    const QString parent = DeclarationParser::FindParentClass(
        SourcePath(m_model.Options().BaseDir, package, className), m_model.Pump());
    if (parent.isEmpty())
        return first;
    const QString upperParent = UpperCase(parent);
    TreeNode *best = nullptr;
    for (TreeNode *node : *named) {
        if (node->Parent() && node->Parent()->UpperText() == upperParent
            && (!best || Tree::PrecedesInPreorder(node, best)))
            best = node;
    }
    return best ? best : first;
}

PackageRemover::PackageRemover(ClassModel &model)
    : m_model(model)
{
}

QStringList PackageRemover::ListPackageClasses(const QString &package)
{
    QStringList names;
    if (package.isEmpty())
        return names;
    const QString upperPackage = UpperCase(package);
    // Every entry is looked at: stopping early at the first entry that sorts
    // after the package would depend on the bindings' order agreeing with a
    // comparison of package names alone, which it need not ("_", digits).
    for (const QString &entry : m_model.Bindings().Entries()) {
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        if (amp < 0)
            continue;
        if (amp == upperPackage.size() && UpperCase(entry.left(amp)) == upperPackage)
            names.append(entry.mid(amp + 1));
    }
    return names;
}

bool PackageRemover::UnloadPackage(const QString &package)
{
    EventPump &pump = m_model.Pump();
    m_model.Status(QStringLiteral("Checking removal of ") + package);
    const QStringList names = ListPackageClasses(package);
    if (names.isEmpty())
        return false;

    QSet<QString> upperNames;
    for (const QString &name : names)
        upperNames.insert(UpperCase(name));

    QStringList remembered;
    for (const QString &name : names) {
        TreeNode *node = m_model.FindNode(m_model.Browser(), name);
        if (pump.Terminating())
            return false;
        if (!node)
            continue;
        for (int row = 0; row < node->ChildCount(); ++row) {
            if (!upperNames.contains(node->Child(row)->UpperText())) {
                m_model.Status(package + QStringLiteral(" could not be removed from the trees"));
                return false;
            }
        }
        remembered.append(name);
    }

    m_model.Status(QStringLiteral("Removing ") + package);
    try {
        RemoveFromTrees(package, remembered);
    } catch (const std::exception &) {
        // Nothing in the trees can be left half-linked by the removal, so the
        // program goes on; the user is told the unload did not complete.
        m_model.ForgetMemo();
        m_model.Prompt().Plain(kBigBug);
        return false;
    }
    if (pump.Terminating())
        return false;
    m_model.Status(package + QStringLiteral(" has been removed from the trees"));
    return true;
}

void PackageRemover::RemoveFromTrees(const QString &package, const QStringList &classes)
{
    EventPump &pump = m_model.Pump();
    Tree &browser = m_model.Browser();
    m_model.ForgetMemo();
    for (const QString &name : classes) {
        if (pump.Terminating())
            return;
        const int binding = m_model.Bindings().IndexOf(package + QLatin1Char('&') + name);
        if (binding >= 0)
            m_model.Bindings().RemoveAt(binding);
        // Looked up again rather than remembered: an earlier class's subtree
        // may have taken this node along already.
        if (TreeNode *node = m_model.FindNode(browser, name))
            browser.Remove(node);
    }
    m_model.ForgetMemo();
    if (TreeNode *packageNode = ClassLocator::PackageNode(m_model.PackagesBrowser(), package))
        m_model.PackagesBrowser().Remove(packageNode);
}

bool PackageRemover::RemoveNode(TreeNode *node, bool ask)
{
    if (!node || !node->Parent())
        return false;
    Tree *tree = node->OwnerTree();
    if (tree == &m_model.PackagesBrowser() && !node->Parent()->Parent())
        return RemovePackageNode(node);
    return RemoveClassNode(node, ask);
}

bool PackageRemover::RemovePackageNode(TreeNode *node)
{
    const QString package = node->Text();
    if (!m_model.Prompt().Confirm(QStringLiteral("Are you sure you want to remove package \"")
                                  + package + QStringLiteral("\"?\r\nThis can't be reversed!")))
        return false;
    m_model.Status(QStringLiteral("Removing package"));
    bool anyRemoved = false;
    TreeNode *child = node->ChildCount() ? node->Child(0) : nullptr;
    while (child) {
        // The next child is taken before the current one is handled, which
        // may take the current one out of the tree.
        TreeNode *parent = child->Parent();
        TreeNode *next = child->Row() + 1 < parent->ChildCount() ? parent->Child(child->Row() + 1)
                                                                 : nullptr;
        if (RemoveClassNode(child, false))
            anyRemoved = true;
        child = next;
    }
    if (anyRemoved) {
        const QString base = m_model.Options().BaseDir;
        if (SpecPath::IsSafeComponent(package)) {
            FileSystem::RemoveDir(base + QLatin1Char('\\') + package + QLatin1String("\\Classes"));
            FileSystem::RemoveDir(base + QLatin1Char('\\') + package);
        }
        const int row = m_model.Packages().IndexOf(package);
        if (row >= 0)
            m_model.Packages().RemoveAt(row);
        m_model.PackagesBrowser().Remove(node);
    }
    m_model.Status(QStringLiteral("Done"));
    return true;
}

bool PackageRemover::RemoveClassNode(TreeNode *node, bool ask)
{
    EventPump &pump = m_model.Pump();
    Tree &browser = m_model.Browser();
    Tree &packages = m_model.PackagesBrowser();
    TreeNode *classNode = node;
    TreeNode *packageTreeNode = nullptr;
    // A class of the package tree belongs to the package it stands under.
    QString package;
    if (node->OwnerTree() == &packages) {
        if (node->UpperText().contains(QLatin1String(".IN")))
            return true;
        if (node->Parent())
            package = node->Parent()->Text();
        classNode = ClassNodeOf(node->Text(), package);
        if (pump.Terminating())
            return false;
        if (!classNode) {
            m_model.Prompt().Error(QStringLiteral("I'm sorry, but class'") + node->Text()
                                   + QStringLiteral("' can't be found\r\nand therefore it can't be removed."));
            return false;
        }
        packageTreeNode = node;
    }
    const QString className = classNode->Text();
    if (classNode->HasChildren()) {
        m_model.Prompt().Error(QStringLiteral("I'm sorry, but class'") + className
                               + QStringLiteral("' has children\r\nand therefore it can't be removed."));
        return false;
    }
    if (package.isEmpty())
        package = PackageOfClassNode(*classNode);
    if (pump.Terminating())
        return false;
    if (package == QLatin1String(ClassModel::UnknownPackage)) {
        m_model.Prompt().Error(QStringLiteral("I'm sorry, but the package in which class'") + className
                               + QStringLiteral("' resides can't be\r\nfound and therefore the class can't be removed."));
        return false;
    }
    if (!RemoveClassFile(className, package, ask))
        return false;
    if (!packageTreeNode) {
        // Searched below the class's own package node: a search of the whole
        // tree would first meet a package node of the same name (a package
        // MyMod with a class MyMod) and take the whole package away.
        packageTreeNode = ClassLocator(m_model).NodeInPackage(package, className);
    }
    m_model.ForgetMemo();
    browser.Remove(classNode);
    if (packageTreeNode)
        packages.Remove(packageTreeNode);
    return true;
}

bool PackageRemover::RemoveClassFile(const QString &className, const QString &package, bool ask)
{
    const QString path = SourcePath(m_model.Options().BaseDir, package, className);
    // Names come from tree and binding texts, which a state file can set to
    // anything: never delete outside the game directory.
    if (!SpecPath::IsSafeComponent(package) || !SpecPath::IsSafeComponent(className)) {
        m_model.Prompt().Error(QStringLiteral("The class '") + package + QLatin1Char('.') + className
                               + QStringLiteral("' names a file outside the game directory;\r\nnothing was removed."));
        return false;
    }
    if (!FileSystem::FileExists(path)) {
        m_model.Prompt().Error(QStringLiteral("I'm sorry, but the file ") + SpecPath::Display(path)
                               + QStringLiteral(" can't be foundand therefore can't be removed."));
        return false;
    }
    if (ask && !m_model.Prompt().Confirm(QStringLiteral("Are you sure you want to remove class'") + package
                                         + QLatin1Char('.') + className
                                         + QStringLiteral("'?\r\nThis can't be reversed!")))
        return false;
    if (!FileSystem::RemoveFile(path)) {
        m_model.Prompt().Error(QStringLiteral("I'm sorry, but the file ") + SpecPath::Display(path)
                               + QStringLiteral(" can't be removed."));
        return false;
    }
    return true;
}

} // namespace kelvarin
