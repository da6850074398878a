#pragma once

#include "model/PackageList.h"
#include "model/SortedList.h"
#include "model/Tree.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

namespace kelvarin {

class EventPump;
class Prompter;
class TOptions;

// The loaded classes and packages: the class tree (root "Classes"), the
// package tree (root "Packages"), the package check list, the bindings
// ("package&class") and the classes waiting for their parent
// ("parent=class&package"). Every lookup works on texts, case-insensitively.
class ClassModel
{
public:
    static constexpr const char *UnknownPackage = "? ? ?";
    static constexpr const char *IntFileMarker = "__INTFILE__";
    static constexpr const char *IniFileMarker = "__INIFILE__";

    ClassModel(const TOptions &options, EventPump &pump, Prompter &prompter);

    Tree &Browser() { return m_browser; }
    Tree &PackagesBrowser() { return m_packagesBrowser; }
    PackageList &Packages() { return m_packageList; }
    SortedList &Bindings() { return m_bindings; }
    SortedList &Files() { return m_files; }
    const TOptions &Options() const { return m_options; }
    EventPump &Pump() { return m_pump; }
    Prompter &Prompt() { return m_prompter; }

    // Progress and result texts for the status bar.
    void SetStatusSink(std::function<void(const QString &)> sink) { m_status = std::move(sink); }
    void Status(const QString &text);
    // Progress on the splash box while it is shown (a no-op otherwise).
    void SetProcessSink(std::function<void(const QString &)> sink) { m_process = std::move(sink); }
    void ShowProcess(const QString &text);

    // Empties both trees down to new roots, clears the three lists, lists the
    // package directories again and forgets the parent-lookup memo. The status
    // then counts the classes loaded ("0 classes loaded"). knownClasses, when
    // given, names for some packages (by upper-cased name) a class that
    // probably has its source in the package's directory: finding it there
    // spares listing the directory.
    void ResetModel(const QHash<QString, QString> &knownClasses = {});

    // First node below the tree's root whose text equals name ignoring case,
    // in display (pre-)order; the root itself is never returned.
    TreeNode *FindNode(Tree &tree, const QString &name);
    // The same, name already upper-cased.
    TreeNode *FindNodeUpper(Tree &tree, const QString &upperName);
    // The same search among the descendants of node, name already upper-cased.
    TreeNode *FindNode(TreeNode *node, const QString &upperName);

    // The package a class is bound to, or "? ? ?".
    QString FindPackage(const QString &className);
    bool IsPackageLoaded(const QString &package);
    // name: a class, or IntFileMarker / IniFileMarker for the package's files.
    // upperName, when not null, is name upper-cased already.
    bool AddToPackageTree(Tree &packageTree, const QString &package, bool merge,
                          const QString &name, const QString &upperName = QString());

    // The comparison of the tree sort: file nodes after classes, otherwise the
    // case-insensitive order of the texts.
    static int BrowserCompare(const TreeNode &node1, const TreeNode &node2);
    void SortTrees();

    // Adds every package directory of the base directory (a directory with
    // Classes\*.uc) to the package list; existing items keep their marks.
    // knownClasses as for ResetModel.
    void ListPackageDirs(const QHash<QString, QString> &knownClasses = {});
    // Classes read from a package's compiled file (System\<package>.u)
    // because the package has no sources; both trees show them with their
    // own image. ResetModel forgets them.
    bool IsCompiledClass(const QString &className) const;
    void MarkCompiledClasses(const QStringList &classNames, bool compiled);
    // True while any class is marked as read from a compiled package.
    bool AnyCompiledClasses() const { return !m_compiledClasses.isEmpty(); }
    // base directory + "\System\" + package + ".u"
    QString CompiledPackagePath(const QString &package) const;
    // True when the package's classes come from its compiled file: reading
    // compiled packages is on, the package directory holds no sources and
    // the compiled file is a game package.
    bool ReadsCompiledPackage(const QString &package) const;
    // Marks the bound classes of every package that ReadsCompiledPackage,
    // for trees read from a state file (which do not record it).
    void FindCompiledClasses();

    // Gives the last compiled package its own image in the package tree.
    void MarkLastCompiledPackage();

    // Class-tree nodes less the root.
    int ClassCount() const;

    // The one-entry memo of the parent lookup while attaching classes. Every
    // removal of class-tree nodes forgets it.
    struct ParentMemo
    {
        bool valid = false;
        QString name;        // the parent as last asked for
        QString upperName;
        TreeNode *node = nullptr;
    };
    ParentMemo &Memo() { return m_memo; }
    void ForgetMemo() { m_memo = ParentMemo{}; }

    // While a model operation runs, the event pump may deliver user commands;
    // those must be refused rather than change the model under the running
    // loop. Operations hold a BusyScope; commands check Busy() first.
    bool Busy() const { return m_busy > 0; }
    const QString &BusyWith() const { return m_busyWith; }
    // The text that tells why a command was refused while busy.
    QString BusyRefusal() const;
    // Shows that text in the status bar when busy; true when it did.
    bool RefuseWhileBusy();
    class BusyScope
    {
    public:
        BusyScope(ClassModel &model, const QString &what);
        ~BusyScope();
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        ClassModel &m_model;
        QString m_previous;
    };

private:
    // The names of the System directory's files that end in ".u", where the
    // compiled packages are; listed afresh on every call.
    QStringList CompiledFileNames() const;

    const TOptions &m_options;
    EventPump &m_pump;
    Prompter &m_prompter;
    Tree m_browser{Tree::Kind::ClassTree};
    Tree m_packagesBrowser{Tree::Kind::PackageTree};
    PackageList m_packageList;
    SortedList m_bindings;
    SortedList m_files;
    ParentMemo m_memo;
    QSet<QString> m_compiledClasses;   // upper-cased class names
    std::function<void(const QString &)> m_status;
    std::function<void(const QString &)> m_process;
    int m_busy = 0;
    QString m_busyWith;
};

} // namespace kelvarin
