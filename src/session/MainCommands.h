#pragma once

#include "session/ClassPopupState.h"

#include <QString>

#include <functional>
#include <memory>

namespace kelvarin {

class ClassModel;
class ErrorReporter;
class Shell;
class TOptions;
class Tree;
class TreeNode;
class TreeRemovalWatch;

// The main window's commands on the trees, without the window: the pop-up's
// state and the nodes it was opened for, opening the file behind a node,
// the editor launcher and the search behind the tree switch. The window
// forwards its clicks here and only shows what these answer.
class MainCommands
{
public:
    MainCommands(const TOptions &options, ClassModel &model);
    ~MainCommands();
    MainCommands(const MainCommands &) = delete;
    MainCommands &operator=(const MainCommands &) = delete;

    // Where files and programs are opened and failed launches shown. Unset:
    // nothing is opened.
    void SetShell(Shell *shell, ErrorReporter *errors);
    // Shows the INT wizard for a package. Unset: localisation-file nodes do
    // nothing.
    void SetIntWizard(std::function<void(const QString &package)> wizard) { m_intWizard = std::move(wizard); }

    // ---- The pop-up ------------------------------------------------------
    // A right-button press on either tree. RightClickedNode becomes the
    // tree's selected node; true when the pop-up is to open for it (then
    // its state is captioned and its tag set).
    bool PackagesBrowserMouseDown();
    bool BrowserMouseDown();

    const ClassPopupState &Popup() const { return m_popup; }
    TreeNode *PopupTag() const { return m_popupTag; }
    TreeNode *RightClickedNode() const { return m_rightClicked; }
    void ClearPopupTag() { m_popupTag = nullptr; }

    // ---- Opening files ---------------------------------------------------
    // Opens the file behind a class, localisation or configuration node. A
    // class read from a compiled package opens as a read-only copy of the
    // source text the package keeps, written to the user's cache
    // (<cache>/<package>/<class>.uc, replacing an earlier copy); the status
    // bar says so.
    void Edit(TreeNode *node);
    // Opens a file in the user's editor: the shell's "open" (the stored
    // association first, then the desktop's), the plain-text editor when no
    // program is associated, the launch error box when all fails: it names
    // the editor when the editor, not the file, is missing. line > 0 asks
    // the editor to show that line (see EditorLine).
    void OpenInEditor(const QString &path, int line = 0);
    // "&Edit this class...": the pop-up's node, unless a root or a package.
    void EditthisclassMenuItemClick();
    // A double click on a tree: the node under the mouse (null for none).
    void BrowserDblClick(TreeNode *node);
    // "&Edit UnrealTournament.ini": the game's configuration (the user's
    // own copy for a native build). Failures are not reported.
    void EditUTiniMenuItemClick();

    // ---- The tree switch -------------------------------------------------
    // The node of target whose text equals, ignoring case, that of the other
    // tree's selection, which the pop-up's tag replaces when it is set.
    // Null when the source has no selection, target has no such node, or
    // the application is terminating.
    TreeNode *SwitchTarget(Tree &target);

private:
    void NodesGoing(TreeNode *first, TreeNode *last);
    void TreeGoing(Tree &tree);
    // The package of a class node as the bindings give it, or empty when
    // none is bound (or the application is terminating).
    QString BoundPackage(const TreeNode &node);
    void EditCompiledClass(const QString &package, const QString &className);

    const TOptions &m_options;
    ClassModel &m_model;
    Shell *m_shell = nullptr;
    ErrorReporter *m_errors = nullptr;
    std::function<void(const QString &)> m_intWizard;
    ClassPopupState m_popup;
    TreeNode *m_popupTag = nullptr;
    TreeNode *m_rightClicked = nullptr;
    std::unique_ptr<TreeRemovalWatch> m_browserWatch;
    std::unique_ptr<TreeRemovalWatch> m_packagesWatch;
    // Shell answers may arrive after this object is gone.
    std::shared_ptr<MainCommands *> m_alive;
};

} // namespace kelvarin
