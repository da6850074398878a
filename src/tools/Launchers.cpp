#include "tools/Launchers.h"

#include "model/ClassModel.h"
#include "model/Options.h"
#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"
#include "platform/SpecPath.h"
#include "tools/DedicatedServerThread.h"
#include "tools/ErrorReporter.h"

#include <QPointer>


namespace kelvarin {

namespace {

const QString Open = QStringLiteral("open");
const QString ExploreVerb = QStringLiteral("Explore");

} // namespace

Launchers::Launchers(const TOptions &options, ClassModel &model, Shell &shell, ErrorReporter &errors,
                     Prompter &prompter, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_model(model),
      m_shell(shell),
      m_errors(errors),
      m_prompter(prompter)
{
}

Launchers::~Launchers()
{
    StopWatchingServers();
}

QString Launchers::SystemDir() const
{
    return m_options.BaseDir + QLatin1String("\\System");
}

void Launchers::TestRunButtonClick()
{
    // The game reports its own troubles; a start that fails stays silent.
    const QString system = SystemDir();
    m_shell.Open(ShellRequest{Open, system + QLatin1String("\\UnrealTournament.exe"),
                              m_options.CommandLine, system},
                 {});
}

void Launchers::JoinyourselfMenuItemClick()
{
    const QString system = SystemDir();
    m_shell.Open(ShellRequest{Open, system + QLatin1String("\\UnrealTournament.exe"),
                              QStringLiteral("127.0.0.1"), system},
                 {});
}

void Launchers::UTLogClick()
{
    // A native build keeps its log in the user's directory, not in System.
    m_shell.Open(ShellRequest{Open,
                              GamePrograms::UserFile(m_options.BaseDir,
                                                     QStringLiteral("UnrealTournament.log")),
                              QString(), QString()},
                 {});
}

void Launchers::ExploreUTButtonClick()
{
    Explore(m_options.BaseDir);
}

void Launchers::Explore(const QString &dir)
{
    // The answer arrives later: it must not reach a Launchers already gone.
    QPointer<Launchers> self(this);
    const QString target = SpecPath::Display(dir);
    m_shell.Open(ShellRequest{ExploreVerb, dir, QString(), dir},
                 [self, target](int answer, const QString &) {
                     if (self && !LaunchCode::Succeeded(answer))
                         self->m_errors.ShowError(answer, target);
                 });
}

void Launchers::ExplorePopupItemClick(TreeNode *node)
{
    if (!node || !node->Parent())
        return;

    QString package;
    if (node->OwnerTree() == &m_model.PackagesBrowser()) {
        // Classes and the .int/.ini files stand under their package node,
        // the child of the root.
        const TreeNode *packageNode = node;
        while (packageNode->Parent() && packageNode->Parent()->Parent())
            packageNode = packageNode->Parent();
        package = packageNode->Text();
    } else if (node->OwnerTree() == &m_model.Browser()) {
        package = m_model.FindPackage(node->Text());
    } else {
        return;
    }

    const QString dir = m_options.BaseDir + QLatin1Char('\\') + package;
    // A class bound to no package ("? ? ?") or a name that would lead out of
    // the game directory has no directory to explore.
    if (package == QLatin1String(ClassModel::UnknownPackage) || !SpecPath::IsSafeComponent(package)) {
        m_errors.ShowError(LaunchCode::PathNotFound, SpecPath::Display(dir));
        return;
    }
    Explore(dir);
}

void Launchers::RundedicatedserverMenuItemClick()
{
    ReapFinishedServers();

    const QString system = SystemDir();
    auto server = std::make_unique<TDedicatedServerThread>();
    server->ProgramPath = system + QLatin1String("\\ucc.exe");
    server->Parameters = QLatin1String("server ") + m_options.CommandLine;
    server->WorkingDirectory = system;
    // Queued to this object: never called once this object is gone.
    server->SetFailureHandler(this, [this](int code, const QString &target) {
        m_errors.ShowError(code, target);
        m_prompter.Error(QString::fromLatin1(ServerFailedMessage));
    });
    server->start(QThread::HighPriority);
    m_servers.push_back(std::move(server));
}

std::vector<TDedicatedServerThread *> Launchers::Servers() const
{
    std::vector<TDedicatedServerThread *> servers;
    for (const std::unique_ptr<TDedicatedServerThread> &server : m_servers)
        servers.push_back(server.get());
    return servers;
}

void Launchers::ReapFinishedServers()
{
    std::erase_if(m_servers, [](const std::unique_ptr<TDedicatedServerThread> &t) { return t->isFinished(); });
}

void Launchers::StopWatchingServers()
{
    // Stop them all first so their last wait steps run side by side.
    for (const std::unique_ptr<TDedicatedServerThread> &server : m_servers)
        server->Stop();
    m_servers.clear();   // each waits for its thread
}

} // namespace kelvarin
