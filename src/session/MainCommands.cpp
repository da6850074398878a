#include "session/MainCommands.h"

#include "model/ClassModel.h"
#include "model/ClassSource.h"
#include "model/TreeRemovalWatch.h"
#include "persist/Options.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"
#include "platform/SpecPath.h"
#include "platform/UserCache.h"

#include <QDir>
#include "tools/ErrorReporter.h"

namespace kelvarin {

namespace {

constexpr int LocalisationFileImage = 4;
constexpr int ConfigurationFileImage = 6;

bool IsPackageNode(const TreeNode &node, const Tree &packageTree)
{
    return node.OwnerTree() == &packageTree && node.Parent() && !node.Parent()->Parent();
}

} // namespace

MainCommands::MainCommands(const TOptions &options, ClassModel &model)
    : m_options(options),
      m_model(model),
      m_browserWatch(std::make_unique<TreeRemovalWatch>(
          model.Browser(), [this](TreeNode *first, TreeNode *last) { NodesGoing(first, last); },
          [this] { TreeGoing(m_model.Browser()); })),
      m_packagesWatch(std::make_unique<TreeRemovalWatch>(
          model.PackagesBrowser(), [this](TreeNode *first, TreeNode *last) { NodesGoing(first, last); },
          [this] { TreeGoing(m_model.PackagesBrowser()); })),
      m_alive(std::make_shared<MainCommands *>(this))
{
}

MainCommands::~MainCommands() = default;

void MainCommands::SetShell(Shell *shell, ErrorReporter *errors)
{
    m_shell = shell;
    m_errors = errors;
}

void MainCommands::NodesGoing(TreeNode *first, TreeNode *last)
{
    if (TreeRemovalWatch::Covers(m_popupTag, first, last))
        m_popupTag = nullptr;
    if (TreeRemovalWatch::Covers(m_rightClicked, first, last))
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
        if (m_model.IsCompiledClass(text)) {
            EditCompiledClass(package, text);
            return;
        }
        path = ClassSource::SourcePath(m_options.BaseDir, package, text);
    }

    if (image == LocalisationFileImage) {
        if (m_intWizard)
            m_intWizard(text.section(QLatin1Char('.'), 0, 0));
        return;
    }
    OpenInEditor(path);
}

void MainCommands::EditCompiledClass(const QString &package, const QString &className)
{
    // The package keeps the only source there is: the editor gets a copy in
    // the user's cache, read-only so that no change is made that could never
    // be compiled back into the package.
    QString copy;
    try {
        copy = UserCache::WriteReadOnlyCopy(package, className + QLatin1String(".uc"),
                                            ClassSource::CopyBytes(ClassSource::CompiledText(m_model, package, className)));
    } catch (const KelvarinError &error) {
        m_model.Prompt().Error(error.Message());
        return;
    }
    m_model.Status(QStringLiteral("Opened a read-only copy of ") + className
                   + QStringLiteral(" from the compiled package ") + package + QStringLiteral(".u"));
    OpenInEditor(QDir::toNativeSeparators(copy));
}

void MainCommands::OpenInEditor(const QString &path, int line)
{
    if (!m_shell)
        return;
    const std::weak_ptr<MainCommands *> alive = m_alive;
    const auto report = [alive, path](int answer, const QString &missing) {
        const auto self = alive.lock();
        if (!self || LaunchCode::Succeeded(answer) || !(*self)->m_errors)
            return;
        (*self)->m_errors->ShowError(answer, missing.isEmpty() ? SpecPath::Display(path) : missing);
    };
    ShellRequest request;
    request.verb = QStringLiteral("open");
    request.file = path;
    request.line = line;
    m_shell->Open(request, [alive, path, line, report](int answer, const QString &missing) {
        const auto self = alive.lock();
        if (!self)
            return;
        if ((answer == LaunchCode::NoAssociation || answer == LaunchCode::IncompleteAssociation)
            && (*self)->m_shell) {
            (*self)->m_shell->OpenInTextEditor(path, report, line);
            return;
        }
        report(answer, missing);
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
    m_shell->Open(request, [alive, file](int answer, const QString &) {
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
