#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace kelvarin {

class ClassModel;
class ErrorReporter;
class Prompter;
class Shell;
class TDedicatedServerThread;
class TOptions;
class TreeNode;

// The main window's launches that are not about editing or compiling: the
// test run, joining this machine, the game's log, exploring the game or a
// package directory, and dedicated servers (one watching thread each).
class Launchers : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *ServerFailedMessage = "Unable to run UCC.exe\r\nCompilation halted.";

    Launchers(const TOptions &options, ClassModel &model, Shell &shell, ErrorReporter &errors,
              Prompter &prompter, QObject *parent = nullptr);
    // Stops watching every server; the servers themselves keep running.
    ~Launchers() override;

    void TestRunButtonClick();
    void JoinyourselfMenuItemClick();
    void UTLogClick();
    void ExploreUTButtonClick();
    // node: the node last right-clicked (null does nothing).
    void ExplorePopupItemClick(TreeNode *node);
    void RundedicatedserverMenuItemClick();

    // Ends every server watch (the close handler calls it): a thread that
    // outlives the window never reaches it.
    void StopWatchingServers();
    int ServerCount() const { return int(m_servers.size()); }
    // The watching threads, oldest first; owned by this object.
    std::vector<TDedicatedServerThread *> Servers() const;

private:
    QString SystemDir() const;
    void Explore(const QString &dir);
    // Deletes the threads whose server has ended or failed to start.
    void ReapFinishedServers();

    const TOptions &m_options;
    ClassModel &m_model;
    Shell &m_shell;
    ErrorReporter &m_errors;
    Prompter &m_prompter;
    std::vector<std::unique_ptr<TDedicatedServerThread>> m_servers;
};

} // namespace kelvarin
