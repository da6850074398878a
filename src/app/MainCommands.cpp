#include "app/MainCommands.h"

#include "model/ClassModel.h"
#include "model/TreeObserver.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Shell.h"
#include "platform/SpecPath.h"
#include "tools/ErrorReporter.h"

namespace kelvarin {

namespace {

constexpr int LocalisationFileImage = 4;
constexpr int ConfigurationFileImage = 6;

bool IsPackageNode(const TreeNode &node, const Tree &packageTree)
{
    return node.OwnerTree() == &packageTree && node.Parent() && !node.Parent()->Parent();
}

bool IsSameOrBelow(const TreeNode *node, const TreeNode *top)
{
    return node == top || Tree::IsDescendant(node, top);
}

} // namespace

// Tells the commands when nodes of one tree are about to go, so that no
// node kept between commands outlives its tree entry.
class MainCommands::NodeWatch : public TreeObserver
{
public:
    NodeWatch(MainCommands &owner, Tree &tree)
        : m_owner(owner), m_tree(tree)
    {
        m_tree.AddObserver(this);
    }
    ~NodeWatch() override { m_tree.RemoveObserver(this); }

    void NodesAboutToBeRemoved(TreeNode *parent, int first, int last) override
    {
        TreeNode *firstNode = parent ? parent->Child(first) : m_tree.TopLevel(first);
        TreeNode *lastNode = parent ? parent->Child(last) : m_tree.TopLevel(last);
        m_owner.NodesGoing(firstNode, lastNode, m_tree);
    }
    void TreeAboutToBeReset() override { m_owner.TreeGoing(m_tree); }
    void NodesAboutToBeInserted(TreeNode *, int, int) override {}
    void NodesInserted() override {}
    void NodesRemoved() override {}
    void TreeReset() override {}
    void OrderAboutToChange() override {}
    void OrderChanged() override {}
    void NodeChanged(TreeNode *) override {}
    void SelectionChanged(TreeNode *) override {}

private:
    MainCommands &m_owner;
    Tree &m_tree;
};

MainCommands::MainCommands(const TOptions &options, ClassModel &model)
    : m_options(options),
      m_model(model),
      m_browserWatch(std::make_unique<NodeWatch>(*this, model.Browser())),
      m_packagesWatch(std::make_unique<NodeWatch>(*this, model.PackagesBrowser())),
      m_alive(std::make_shared<MainCommands *>(this))
{
}

MainCommands::~MainCommands() = default;

void MainCommands::SetShell(Shell *shell, ErrorReporter *errors)
{
    m_shell = shell;
    m_errors = errors;
}

void MainCommands::NodesGoing(TreeNode *first, TreeNode *last, Tree &tree)
{
    if (!first || !last)
        return;
    // first and last are siblings; each goes with its whole subtree.
    TreeNode *parent = first->Parent();
    const auto going = [&](const TreeNode *node) {
        if (!node || node->OwnerTree() != &tree)
            return false;
        for (int row = first->Row(); row <= last->Row(); ++row) {
            const TreeNode *top = parent ? parent->Child(row) : tree.TopLevel(row);
            if (IsSameOrBelow(node, top))
                return true;
        }
        return false;
    };
    if (going(m_popupTag))
        m_popupTag = nullptr;
    if (going(m_rightClicked))
        m_rightClicked = nullptr;
}

void MainCommands::TreeGoing(Tree &tree)
{
    if (m_popupTag && m_popupTag->OwnerTree() == &tree)
        m_popupTag = nullptr;
    if (m_rightClicked && m_rightClicked->OwnerTree() == &tree)
        m_rightClicked = nullptr;
}

// ---- The pop-up --------------------------------------------------------

bool MainCommands::PackagesBrowserMouseDown()
{
    m_rightClicked = m_model.PackagesBrowser().Selected();
    if (!m_rightClicked || !m_rightClicked->Parent())
        return false;
    m_popup.CaptionForPackageTree(*m_rightClicked);
    m_popupTag = m_rightClicked;
    return true;
}

bool MainCommands::BrowserMouseDown()
{
    Tree &browser = m_model.Browser();
    m_rightClicked = browser.Selected();
    if (!m_rightClicked || m_rightClicked == browser.First())
        return false;
    m_popup.CaptionForClassTree(*m_rightClicked, m_model.FindPackage(m_rightClicked->Text()));
    m_popupTag = m_rightClicked;
    return true;
}

// ---- Opening files -----------------------------------------------------

QString MainCommands::BoundPackage(const TreeNode &node)
{
    // A class of the package tree belongs to the package it stands under;
    // the bindings could name another package's class of the same name.
    if (node.OwnerTree() == &m_model.PackagesBrowser() && node.Parent()
        && IsPackageNode(*node.Parent(), m_model.PackagesBrowser()))
        return node.Parent()->Text();

    EventPump &pump = m_model.Pump();
    const QString upperClass = node.UpperText();
    for (const QString &entry : m_model.Bindings().Entries()) {
        pump.Pump();
        if (pump.Terminating())
            return QString();
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        if (amp < 0)
            continue;
        if (UpperCase(entry.mid(amp + 1)) == upperClass)
            return entry.left(amp);
    }
    return QString();
}

void MainCommands::Edit(TreeNode *node)
{
    if (!node)
        return;
    const QString text = node->Text();
    const int image = node->ImageIndex();
    // Node texts come from state files as much as from directory listings:
    // a text that would lead out of its directory opens nothing.
    if (!SpecPath::IsSafeComponent(text))
        return;

    QString path;
    if (image == LocalisationFileImage || image == ConfigurationFileImage) {
        path = m_options.BaseDir + QLatin1String("\\System\\") + text;
    } else {
        const QString package = BoundPackage(*node);
        if (package.isEmpty() || !SpecPath::IsSafeComponent(package))
            return;
        path = m_options.BaseDir + QLatin1Char('\\') + package + QLatin1String("\\Classes\\") + text
            + QLatin1String(".uc");
    }

    if (image == LocalisationFileImage) {
        if (m_intWizard)
            m_intWizard(text.section(QLatin1Char('.'), 0, 0));
        return;
    }
    OpenInEditor(path);
}

void MainCommands::OpenInEditor(const QString &path)
{
    if (!m_shell)
        return;
    const std::weak_ptr<MainCommands *> alive = m_alive;
    const auto report = [alive, path](int answer) {
        const auto self = alive.lock();
        if (!self || LaunchCode::Succeeded(answer) || !(*self)->m_errors)
            return;
        (*self)->m_errors->ShowError(answer, SpecPath::Display(path));
    };
    ShellRequest request;
    request.verb = QStringLiteral("open");
    request.file = path;
    m_shell->Open(request, [alive, path, report](int answer) {
        const auto self = alive.lock();
        if (!self)
            return;
        if ((answer == LaunchCode::NoAssociation || answer == LaunchCode::IncompleteAssociation)
            && (*self)->m_shell) {
            (*self)->m_shell->OpenInTextEditor(path, report);
            return;
        }
        report(answer);
    });
}

void MainCommands::EditthisclassMenuItemClick()
{
    TreeNode *node = m_popupTag;
    if (!node || !node->Parent() || IsPackageNode(*node, m_model.PackagesBrowser()))
        return;
    Edit(node);
}

void MainCommands::BrowserDblClick(TreeNode *node)
{
    if (!node || !node->Parent() || IsPackageNode(*node, m_model.PackagesBrowser()))
        return;
    Edit(node);
}

void MainCommands::EditUTiniMenuItemClick()
{
    if (!m_shell)
        return;
    ShellRequest request;
    request.verb = QStringLiteral("open");
    request.file = GamePrograms::UserFile(m_options.BaseDir, QStringLiteral("UnrealTournament.ini"));
    request.directory = m_options.BaseDir + QLatin1String("\\System");
    const QString file = request.file;
    const std::weak_ptr<MainCommands *> alive = m_alive;
    // The answer is not reported; but where no program is associated with
    // ".ini" files (common off Windows) the plain-text editor opens it.
    m_shell->Open(request, [alive, file](int answer) {
        const auto self = alive.lock();
        if (self && (*self)->m_shell
            && (answer == LaunchCode::NoAssociation || answer == LaunchCode::IncompleteAssociation))
            (*self)->m_shell->OpenInTextEditor(file, {});
    });
}

// ---- The tree switch ---------------------------------------------------

TreeNode *MainCommands::SwitchTarget(Tree &target)
{
    Tree &source = &target == &m_model.Browser() ? m_model.PackagesBrowser() : m_model.Browser();
    if (m_popupTag && m_popupTag->OwnerTree() == &source)
        source.Select(m_popupTag);
    const TreeNode *selected = source.Selected();
    if (!selected)
        return nullptr;
    const QString name = selected->UpperText();
    EventPump &pump = m_model.Pump();
    for (TreeNode *node = target.First(); node; node = Tree::Next(node)) {
        pump.Pump();
        if (pump.Terminating())
            return nullptr;
        if (node->UpperText() == name)
            return node;
    }
    return nullptr;
}

} // namespace kelvarin
