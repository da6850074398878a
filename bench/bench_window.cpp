// Times the start of the real program on a saved default state: from the
// moment `kelvarin` is started as a child process until its main window is
// first painted with the filled trees.
//
//   bench_window [--runs N] [--program PATH] [--qpa PLATFORM] [--verbose]
//                [packages] [classes-per-package] [directory]
//
// The game is 20 packages of 100 classes unless the arguments say otherwise.
// The program is the one built beside the benchmark unless --program names
// another; it runs on the offscreen platform unless --qpa names another
// (xcb, with DISPLAY set, for a real X server).
//
// The setting is the one a user has after "Read default packages", "Save as
// default state" and closing the window: a settings store whose BaseDir is
// the game, with the window layout, and Default\Default.Kelvar below the
// directory the program is started in (the game directory: the default
// state is found relative to the working directory, not through the store).
// The store is private (XDG_CONFIG_HOME in a temporary directory), and so
// are the single-instance lock and socket (TMPDIR), so a Kelvarin running
// elsewhere neither answers nor is disturbed.
//
// How the first painted window is seen from outside: Qt's own diagnostic
// logging (QT_LOGGING_RULES, category qt.widgets.painting) reports every
// flush of a window's backing store to the screen, stamped with the
// monotonic clock (QT_MESSAGE_PATTERN %{time boot}). The program loads the
// default state while its main window is being shown, before any paint, so
// the first flush of the main window (the widget named "DisplayForm") is
// the first sight of the filled trees. The splash box ("WaitBox") is
// flushed before that and is reported beside it. Nothing in the program is
// there for the benchmark.
//
// Window starts alternate with bare starts of the same program
// (`kelvarin --version`, which answers before any window system is touched),
// so both figures see the same background load.

#include "BenchSupport.h"
#include "SyntheticGame.h"
#include "support/ScriptedPrompter.h"

#include "app/gui/DisplayForm.h"
#include "app/gui/MainWindowParts.h"
#include "platform/SystemShell.h"
#include "platform/gui/WidgetPickers.h"
#include "model/ClassModel.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "platform/AppEventPump.h"
#include "platform/Keyboard.h"
#include "platform/Prompter.h"
#include "platform/RegFileRegistry.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <optional>
#include <vector>

using namespace kelvarin;
using bench::Figures;

namespace {

#ifdef KELVARIN_PROGRAM
const char *const BuiltProgram = KELVARIN_PROGRAM;
#else
const char *const BuiltProgram = "";
#endif

constexpr double GoalMs = 500;
constexpr int TimeoutMs = 60000;

// Milliseconds on the clock of Qt's "%{time boot}" stamps (the monotonic
// clock), cut to 32 bits as Qt prints them.
quint32 BootMs()
{
    return quint32(QDeadlineTimer::current().deadline());
}

struct WindowRun
{
    // Milliseconds from the start of the child process.
    std::optional<double> splashMs;   // first flush of the splash box
    std::optional<double> windowMs;   // first flush of the main window
    QString failure;
};

class NoModifiers : public Keyboard
{
public:
    bool CtrlHeld() const override { return false; }
};

// Replays, with the program's own main window, the session of a user who
// saves a default state: the options name the game (as the options dialog
// stores them), then "Read default packages", "Save as default state" and
// closing the window, which stores the options and the window layout. The
// window works in the game directory, where the program is started later.
bool PrepareUserSetting(const QString &gameDir, const QString &configDir, QTextStream &out)
{
    QDir().mkpath(configDir + QLatin1String("/Kelvarin"));
    RegFileRegistry registry(configDir + QLatin1String("/Kelvarin/registry.reg"));
    {
        TOptions chosen;
        LoadOptions(chosen, registry);   // the defaults: nothing is stored yet
        chosen.BaseDir = QDir::toNativeSeparators(gameDir);
        if (!SaveOptions(chosen, registry, QString())) {
            out << "could not write the settings store\n";
            return false;
        }
    }

    const QString previous = QDir::currentPath();
    QDir::setCurrent(gameDir);
    AppEventPump pump;
    test::ScriptedPrompter prompter;   // answers No
    prompter.defaultYes = false;
    NoModifiers keyboard;
    WidgetPickers pickers;
    SystemShell shell;
    bool saved = false;
    {
        MainWindowSeams seams{registry, pump, prompter, keyboard, pickers, shell};
        seams.quit = [] {};
        MainWindowParts parts(seams);
        TDisplayForm &form = parts.form;
        ClassModel &model = parts.model;
        form.show();
        QCoreApplication::processEvents();
        form.ReaddefaultpackagesMenuItemClick();
        const QString report = form.StatusText();
        form.SaveasdefaultstateMenuItemClick();
        saved = QFileInfo::exists(QString::fromLatin1(StateFile::DefaultState).replace(QLatin1Char('\\'), QLatin1Char('/')));
        out << "default state: " << model.ClassCount() << " classes (" << report << ")\n";
        form.close();
        QCoreApplication::processEvents();
    }
    QDir::setCurrent(previous);
    if (!saved || !prompter.shown.isEmpty()) {
        out << "could not save the default state" << (!prompter.shown.isEmpty() ? ": " + prompter.Texts().last() : QString()) << "\n";
        return false;
    }
    return true;
}

QProcessEnvironment ChildEnvironment(const QString &platform, const QString &configDir, const QString &tempDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    env.insert(QStringLiteral("TMPDIR"), tempDir);
    // Only the lines that say a window was put on the screen.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*=false;qt.widgets.painting=true"));
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{time boot} %{category}: %{message}"));
    // Messages go to standard error even where it is not a terminal.
    env.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    env.remove(QStringLiteral("QT_DEBUG_PLUGINS"));
    return env;
}

// Milliseconds from start (boot clock) to the stamp at the head of line.
std::optional<double> StampAfter(const QString &line, quint32 start)
{
    static const QRegularExpression stamp(QStringLiteral("^\\s*(\\d+)\\.(\\d{3}) "));
    const QRegularExpressionMatch m = stamp.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    const quint32 ms = quint32(m.captured(1).toULongLong() * 1000 + m.captured(2).toUInt());
    return double(quint32(ms - start));   // modulo 2^32, as printed
}

bool IsFlushOf(const QString &line, const QString &windowName)
{
    // "Flushing QRegion(...) of kelvarin::TDisplayForm(0x..., name="DisplayForm")"
    return line.contains(QLatin1String(": Flushing Q"))
        && line.endsWith(QLatin1String("name=\"") + windowName + QLatin1String("\")"));
}

struct Setting
{
    QString program;
    QString platform = QStringLiteral("offscreen");
    QString gameDir;
    QString configDir;
    QString tempDir;
};

WindowRun TimeWindowStart(const Setting &setting, bool verbose, QTextStream &out)
{
    WindowRun run;
    // A fresh directory for the single-instance lock and socket: no lock
    // left by the previous (killed) run is to be taken over.
    QDir(setting.tempDir).removeRecursively();
    QDir().mkpath(setting.tempDir);
    QProcess child;
    child.setProgram(setting.program);
    child.setWorkingDirectory(setting.gameDir);
    child.setProcessEnvironment(ChildEnvironment(setting.platform, setting.configDir, setting.tempDir));
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardInputFile(QProcess::nullDevice());
    child.setReadChannel(QProcess::StandardError);

    const quint32 start = BootMs();
    child.start();
    if (!child.waitForStarted(TimeoutMs)) {
        run.failure = QStringLiteral("cannot start %1: %2").arg(setting.program, child.errorString());
        return run;
    }
    QElapsedTimer waited;
    waited.start();
    QByteArray pending;
    while (!run.windowMs && run.failure.isEmpty() && waited.elapsed() < TimeoutMs) {
        if (!child.waitForReadyRead(int(TimeoutMs - waited.elapsed())))
            break;
        pending += child.readAllStandardError();
        qsizetype end;
        while (!run.windowMs && run.failure.isEmpty() && (end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            if (verbose)
                out << "  | " << line << "\n";
            if (!run.splashMs && IsFlushOf(line, QStringLiteral("WaitBox")))
                run.splashMs = StampAfter(line, start);
            if (IsFlushOf(line, QStringLiteral("DisplayForm"))) {
                run.windowMs = StampAfter(line, start);
                // The stamp cannot lie after the moment the line arrived:
                // if it does, the two clocks are not the same one.
                const double received = double(quint32(BootMs() - start));
                if (!run.windowMs)
                    run.failure = QStringLiteral("unreadable time stamp: ") + line;
                else if (*run.windowMs > received + 1)
                    run.failure = QStringLiteral("the program's clock is not ours: stamped %1 ms, received at %2 ms")
                                      .arg(*run.windowMs).arg(received);
            }
        }
    }
    if (!run.windowMs && run.failure.isEmpty())
        run.failure = child.state() == QProcess::Running
            ? QStringLiteral("no paint of the main window within %1 s").arg(TimeoutMs / 1000)
            : QStringLiteral("the program ended (exit code %1) before its window was painted").arg(child.exitCode());
    // The program runs its message loop until closed; this is our own child.
    child.kill();
    child.waitForFinished(TimeoutMs);
    return run;
}

// A start that ends before any window: process creation, loading the
// program and its libraries, and exit.
std::optional<double> TimeBareStart(const QString &program, const QString &gameDir)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments({QStringLiteral("--version")});
    child.setWorkingDirectory(gameDir);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    child.start();
    if (!child.waitForFinished(TimeoutMs) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    return double(timer.nsecsElapsed()) / 1e6;
}

void Print(QTextStream &out, const char *what, const Figures &f, const char *goal = nullptr)
{
    bench::Print(out, what, f, 1, goal ? QString::fromLatin1(goal) : QString());
}

} // namespace

int main(int argc, char *argv[])
{
    // The user's session before the timed starts runs in a window of its own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const char *const usage = "bench_window [--runs N] [--program PATH] [--qpa PLATFORM] [--verbose] "
                              "[packages] [classes-per-package] [directory]\n";
    QStringList args = app.arguments();
    int runs = 9;
    bool verbose = false;
    Setting setting;
    setting.program = QString::fromLocal8Bit(BuiltProgram);
    for (int i = 1; i < args.size();) {
        const QString arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--runs") && hasValue) {
            runs = std::max(1, args.at(i + 1).toInt());
            args.remove(i, 2);
        } else if (arg == QLatin1String("--program") && hasValue) {
            setting.program = args.at(i + 1);
            args.remove(i, 2);
        } else if (arg == QLatin1String("--qpa") && hasValue) {
            setting.platform = args.at(i + 1);
            args.remove(i, 2);
        } else if (arg == QLatin1String("--verbose")) {
            verbose = true;
            args.remove(i);
        } else if (arg.startsWith(QLatin1String("--"))) {
            out << usage;
            return 2;
        } else {
            ++i;
        }
    }
    if (setting.program.isEmpty() || !QFileInfo(setting.program).isExecutable()) {
        out << "no kelvarin program to start (give --program PATH)\n" << usage;
        return 2;
    }

    bench::SyntheticGameShape shape;
    QTemporaryDir gameTemp;
    QTemporaryDir scratch;
    if (!gameTemp.isValid() || !scratch.isValid()) {
        out << "cannot create a temporary directory\n";
        return 2;
    }
    int classes = 0;
    setting.gameDir = QFileInfo(bench::WriteGameFromArguments(args, gameTemp, shape, classes)).absoluteFilePath();
    out << "game: " << setting.gameDir << " with " << classes << " classes in " << shape.packages << " packages\n";
    if (classes <= 0) {
        out << "no classes to load\n" << usage;
        return 2;
    }
    setting.configDir = scratch.filePath(QStringLiteral("config"));
    setting.tempDir = scratch.filePath(QStringLiteral("tmp"));
    if (!PrepareUserSetting(setting.gameDir, setting.configDir, out))
        return 1;
    if (verbose) {
        QFile store(setting.configDir + QLatin1String("/Kelvarin/registry.reg"));
        if (store.open(QIODevice::ReadOnly))
            out << "settings store:\n" << QString::fromUtf8(store.readAll()) << "\n";
    }
    out << "program: " << setting.program << " on the " << setting.platform << " platform\n";
    out.flush();

    // One start of each kind first: it fills the page cache with the
    // program, its libraries and the state files, as on any later start.
    TimeBareStart(setting.program, setting.gameDir);
    const WindowRun warm = TimeWindowStart(setting, verbose, out);
    if (!warm.failure.isEmpty()) {
        out << "window start failed: " << warm.failure << "\n";
        return 1;
    }

    Figures window, splash, bare;
    for (int run = 0; run < runs; ++run) {
        const WindowRun timed = TimeWindowStart(setting, false, out);
        if (!timed.failure.isEmpty()) {
            out << "window start failed: " << timed.failure << "\n";
            return 1;
        }
        window.Add(*timed.windowMs);
        if (timed.splashMs)
            splash.Add(*timed.splashMs);
        if (const auto b = TimeBareStart(setting.program, setting.gameDir))
            bare.Add(*b);
    }
    QDir(setting.tempDir).removeRecursively();

    out << "start on a default state of " << classes << " classes, from process start:\n";
    Print(out, "  bare process start (--version): ", bare);
    Print(out, "  splash box shown:               ", splash);
    Print(out, "  main window with filled trees:  ", window, "goal < 500 ms");
    out << (window.Median() < GoalMs ? "goal met\n" : "goal missed\n");
    return 0;
}
