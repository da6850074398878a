#include "cli/CliRunner.h"
#include "cli/CliUsage.h"

#include "session/MainCommands.h"
#include "session/ProgramArguments.h"
#include "cli/PendingShell.h"
#include "cli/StreamErrorReporter.h"
#include "cli/StreamPrompter.h"
#include "model/ClassLocator.h"
#include "model/ClassModel.h"
#include "model/ClassSource.h"
#include "model/PackageLoader.h"
#include "model/PackageRemover.h"
#include "model/TextRules.h"
#include "persist/FileAssociation.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "persist/TreeText.h"
#include "platform/CancelSignals.h"
#include "platform/Errors.h"
#include "platform/EventPump.h"
#include "platform/SystemShell.h"
#include "platform/TextFile.h"
#include "authoring/IntWizard.h"
#include "authoring/NewClassCommands.h"
#include "authoring/NewClassForm.h"
#include "authoring/OrphanFinder.h"
#include "search/ClassFinder.h"
#include "tools/CompileRunner.h"
#include "tools/CompilerLog.h"
#include "tools/DedicatedServerThread.h"
#include "tools/PackageExporter.h"
#include "tools/Launchers.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace kelvarin {

namespace {

// True in builds that check for leaks at exit (AddressSanitizer).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool LeakCheckedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool LeakCheckedBuild = true;
#else
constexpr bool LeakCheckedBuild = false;
#endif
#else
constexpr bool LeakCheckedBuild = false;
#endif

// An option and its operands, each kept whole as given.
struct Action
{
    QString option;
    QString argument;        // the first operand ("" for none)
    QStringList operands;    // every operand
};

const QStringList kPrintable{QStringLiteral("classes"), QStringLiteral("packages"),
                             QStringLiteral("bindings"), QStringLiteral("unresolved"),
                             QStringLiteral("packagelist"), QStringLiteral("log"),
                             QStringLiteral("log-raw")};

std::atomic<bool> g_signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

// While a compile or an export runs, Ctrl+C and a polite kill cancel it:
// UCC is ended and waited for, a compile puts the package file and
// EditPackages back, and the program ends after that.
extern "C" void CancelCompileOnSignal(int)
{
    g_signalled.store(true, std::memory_order_relaxed);
    kelvarin::CompileRunner::RequestCancel();
    kelvarin::PackageExporter::RequestCancel();
}

void PrintLines(QTextStream &out, const QStringList &lines)
{
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
}

} // namespace

QString CliRunner::Usage()
{
    return QString::fromUtf8(kCliUsage);
}

namespace {

// What the command line asks for, once it is known to be a run of actions.
struct ParsedLine
{
    QString base;
    bool haveBase = false;
    bool answerYes = false;
    std::vector<Action> actions;
};

// Reads the command line. Answers the exit code when the run ends there
// (help, version, a usage error, each written out), or -1 with line filled.
int ParseLine(const QStringList &arguments, QTextStream &out, QTextStream &err, ParsedLine &line)
{
    QString &base = line.base;
    bool &haveBase = line.haveBase;
    bool &answerYes = line.answerYes;
    std::vector<Action> &actions = line.actions;
    const QStringList withArgument{QStringLiteral("--tick"), QStringLiteral("--untick"),
                                   QStringLiteral("--load-state"), QStringLiteral("--save-state"),
                                   QStringLiteral("--print"), QStringLiteral("--remove"),
                                   QStringLiteral("--remove-package"), QStringLiteral("--edit"),
                                   QStringLiteral("--name"), QStringLiteral("--containing"),
                                   QStringLiteral("--in"), QStringLiteral("--print-int"),
                                   QStringLiteral("--print-source"),
                                   QStringLiteral("--compile"), QStringLiteral("--export"),
                                   QStringLiteral("--export-native")};
    const QStringList plain{QStringLiteral("--read-default"), QStringLiteral("--refresh"),
                            QStringLiteral("--reset"), QStringLiteral("--test-run"),
                            QStringLiteral("--join"), QStringLiteral("--server"),
                            QStringLiteral("--find"), QStringLiteral("--parents"),
                            QStringLiteral("--children"), QStringLiteral("--find-orphans"),
                            QStringLiteral("--delete-orphans")};
    auto usageError = [&err](const QString &why) {
        err << "kelvarin-cli: " << why << "\n\n" << CliRunner::Usage();
        err.flush();
        return 2;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << CliRunner::Usage();
            out.flush();
            return 0;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-V")) {
            out << ProgramArguments::VersionText() << '\n';
            out.flush();
            return 0;
        }
        if (arg == QLatin1String("--yes")) {
            answerYes = true;
        } else if (arg == QLatin1String("--base")) {
            if (i + 1 >= arguments.size())
                return usageError(QStringLiteral("--base needs a directory"));
            base = arguments.at(++i);
            haveBase = true;
        } else if (arg == QLatin1String("--write-int")) {
            if (i + 2 >= arguments.size())
                return usageError(QStringLiteral("--write-int needs a package and a file"));
            actions.push_back({arg, arguments.at(i + 1), arguments.mid(i + 1, 2)});
            i += 2;
        } else if (arg == QLatin1String("--new-class")) {
            if (i + 3 >= arguments.size())
                return usageError(QStringLiteral("--new-class needs a package, a class and a parent"));
            actions.push_back({arg, arguments.at(i + 1), arguments.mid(i + 1, 3)});
            i += 3;
        } else if (plain.contains(arg)) {
            actions.push_back({arg, QString(), {}});
        } else if (withArgument.contains(arg)) {
            if (i + 1 >= arguments.size())
                return usageError(arg + QStringLiteral(" needs an argument"));
            const QString value = arguments.at(++i);
            if (arg == QLatin1String("--in") && value != QLatin1String("classes")
                && value != QLatin1String("packages") && !value.startsWith(QLatin1String("class:"))
                && !value.startsWith(QLatin1String("package:")))
                return usageError(QStringLiteral("--in takes classes, class:NAME, packages or package:NAME"));
            if (arg == QLatin1String("--print") && !kPrintable.contains(value))
                return usageError(QStringLiteral("--print takes one of: ") + kPrintable.join(QStringLiteral(", ")));
            actions.push_back({arg, value, {value}});
        } else {
            return usageError(QStringLiteral("unknown argument: ") + arg);
        }
    }
    if (actions.empty())
        return usageError(QStringLiteral("no action given"));
    return -1;
}

} // namespace

int CliRunner::Answer(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    ParsedLine line;
    return ParseLine(arguments, out, err, line);
}

int CliRunner::Run(const QStringList &arguments, Registry &registry, QTextStream &out,
                   QTextStream &err, bool processEndsAfterwards)
{
    ParsedLine line;
    if (const int code = ParseLine(arguments, out, err, line); code >= 0)
        return code;
    const QString &base = line.base;
    const bool haveBase = line.haveBase;
    const std::vector<Action> &actions = line.actions;

    StreamPrompter prompter(err, line.answerYes);
    TOptions options;
    // A missing or damaged store is normal for a headless run: the load
    // defaults stand, without a message.
    try {
        LoadOptions(options, registry);
    } catch (const KelvarinError &) {
    }
    if (haveBase)
        options.BaseDir = base;

    NullEventPump pump;
    auto owned = std::make_unique<ClassModel>(options, pump, prompter);
    ClassModel &model = *owned;
    model.SetStatusSink([&prompter](const QString &text) {
        if (text.startsWith(QLatin1String("Load time: ")) || text.startsWith(QLatin1String("Opened a read-only copy")))
            prompter.Say(text);
    });
    // The model starts reset; an action that resets first makes that work
    // unnecessary. Loading a state resets the model once its files are read,
    // so a first --load-state resets it here only when it loads nothing.
    const QString first = actions.front().option;
    if (first != QLatin1String("--read-default") && first != QLatin1String("--reset")
        && first != QLatin1String("--load-state"))
        model.ResetModel();
    auto resetIfNeverReset = [&model] {
        if (model.Browser().Count() == 0)
            model.ResetModel();
    };
    PackageLoader loader(model);
    PackageRemover remover(model);
    StateFile states(model);

    // Launches answer through the event loop; each launching action waits
    // for its answers before the next action runs.
    SystemShell systemShell([&registry](const QString &file, int line) { return FileAssociation::OpenCommandFor(registry, file, line); });
    PendingShell shell(systemShell);
    StreamErrorReporter errors(prompter);
    MainCommands commands(options, model);
    commands.SetShell(&shell, &errors);
    Launchers launchers(options, model, shell, errors, prompter);
    CompileRunner compiler(options, pump, prompter, errors);
    compiler.SetMarkLastCompiled([&model] { model.MarkLastCompiledPackage(); });
    PackageExporter exporter(model, errors);

    ClassFinder finder(model);
    finder.SetStatusSink([&prompter](const QString &text) {
        if (text == QLatin1String(ClassFinder::DoneStatus))
            prompter.Say(text);
    });
    QString findName;
    QString findContaining;
    QString findIn = QStringLiteral("classes");
    bool findParents = false;

    g_signalled.store(false, std::memory_order_relaxed);
    for (const Action &action : actions) {
        // A signal that cancelled a compile or an export ends the run.
        if (g_signalled.load(std::memory_order_relaxed))
            break;
        try {
            const QString &arg = action.argument;
            if (action.option == QLatin1String("--read-default")) {
                loader.ReadDefaultPackages();
            } else if (action.option == QLatin1String("--refresh")) {
                loader.RefreshModel();
            } else if (action.option == QLatin1String("--reset")) {
                model.ResetModel();
            } else if (action.option == QLatin1String("--tick")
                       || action.option == QLatin1String("--untick")) {
                const int row = model.Packages().IndexOf(arg);
                if (row < 0) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("There is no package \"") + arg
                                 + QStringLiteral("\" in the package list."));
                    continue;
                }
                const bool tick = action.option == QLatin1String("--tick");
                const bool ticked = model.Packages().MarkAt(row) == PackageList::Mark::Checked;
                if (tick == ticked)
                    continue;   // nothing changes, as a click on the same mark
                model.Packages().SetMark(row, tick ? PackageList::Mark::Checked
                                                   : PackageList::Mark::Unchecked);
                loader.PackageTickChanged(row);
            } else if (action.option == QLatin1String("--load-state")) {
                bool loaded = false;
                try {
                    loaded = states.LoadState(arg);
                } catch (...) {
                    resetIfNeverReset();
                    throw;
                }
                if (!loaded) {
                    resetIfNeverReset();
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("No state was loaded from \"") + arg
                                 + QStringLiteral("\": the name must contain \".Kelvar\" and the file must be readable."));
                }
            } else if (action.option == QLatin1String("--save-state")) {
                if (!states.SaveState(arg)) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("No state was saved to \"") + arg
                                 + QStringLiteral("\": the name must contain \".Kelvar\" and the file must be writable."));
                }
            } else if (action.option == QLatin1String("--remove") || action.option == QLatin1String("--remove-package")) {
                const bool package = action.option == QLatin1String("--remove-package");
                TreeNode *node = package ? ClassLocator::PackageNode(model.PackagesBrowser(), arg)
                                         : model.FindNode(model.Browser(), arg);
                if (!node) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("There is no %1 \"%2\" in the %1 tree.")
                                     .arg(package ? QStringLiteral("package") : QStringLiteral("class"), arg));
                    continue;
                }
                remover.RemoveNode(node, true);
            } else if (action.option == QLatin1String("--edit")) {
                TreeNode *node = model.FindNode(model.Browser(), arg);
                if (!node) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("There is no class \"") + arg
                                 + QStringLiteral("\" in the class tree."));
                    continue;
                }
                const int before = shell.Outstanding();
                const bool erredBefore = prompter.ErrorShown();
                commands.Edit(node);
                // A compiled class whose source could not be copied has
                // said why already.
                if (shell.Outstanding() == before && (erredBefore || !prompter.ErrorShown())) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("The package of class \"") + arg
                                 + QStringLiteral("\" is not known; nothing was opened."));
                }
                shell.Settle();
            } else if (action.option == QLatin1String("--print-source")) {
                if (!model.FindNode(model.Browser(), arg)) {
                    prompter.NoteError();
                    prompter.Say(QStringLiteral("There is no class \"") + arg
                                 + QStringLiteral("\" in the class tree."));
                    continue;
                }
                PrintLines(out, TextFile::SplitLines(ClassSource::Text(model, arg)));
            } else if (action.option == QLatin1String("--test-run")) {
                launchers.TestRunButtonClick();
                shell.Settle();
            } else if (action.option == QLatin1String("--join")) {
                launchers.JoinyourselfMenuItemClick();
                shell.Settle();
            } else if (action.option == QLatin1String("--server")) {
                launchers.RundedicatedserverMenuItemClick();
                TDedicatedServerThread *server = launchers.Servers().empty() ? nullptr : launchers.Servers().back();
                // Started, or failed (the failure is reported through the
                // event loop, which runs once more below).
                while (server && server->ServerPid() == 0 && !server->isFinished())
                    QThread::msleep(5);
                QCoreApplication::processEvents();
                if (server && server->ServerPid() != 0) {
                    out << server->ServerPid() << '\n';
                    out.flush();
                }
            } else if (action.option == QLatin1String("--new-class")) {
                const QStringList &parts = action.operands;
                NewClassCommands newClass(model);
                if (!newClass.NewClass(parts.at(0), parts.at(1), parts.at(2)))
                    prompter.NoteError();
            } else if (action.option == QLatin1String("--compile")) {
                CompileOutcome outcome;
                {
                    CancelSignals cancelOnSignals(CancelCompileOnSignal);
                    outcome = compiler.CompilePackage(arg);
                }
                PrintLines(out, outcome.parsedLog);
                if (!outcome.note.isEmpty())
                    prompter.Say(outcome.note);
                if (!outcome.package.isEmpty() && !SaveLastCompiledPackage(options, registry))
                    prompter.Say(QStringLiteral("Unable to store options.\r\nChanges might not be remembered."));
                if (!outcome.Succeeded() && !outcome.declined)
                    prompter.NoteError();
            } else if (action.option == QLatin1String("--export")
                       || action.option == QLatin1String("--export-native")) {
                bool declined = false;
                bool exported = false;
                {
                    CancelSignals cancelOnSignals(CancelCompileOnSignal);
                    exported = exporter.ExportPackage(arg, &declined,
                                                      action.option == QLatin1String("--export-native"));
                }
                if (g_signalled.load(std::memory_order_relaxed))
                    prompter.Say(QStringLiteral("The export was cancelled; UCC.exe has been ended."));
                // A No to the overwrite question is a plain refusal.
                if (!exported && !declined)
                    prompter.NoteError();
            } else if (action.option == QLatin1String("--print-int")
                       || action.option == QLatin1String("--write-int")) {
                const QString &package = arg;
                if (!NewClassForm::IsIdentifier(package)) {
                    prompter.NoteError();
                    prompter.Plain(QLatin1String(NewClassForm::BadPackageName));
                    continue;
                }
                if (action.option == QLatin1String("--print-int")) {
                    PrintLines(out, IntWizard::SummaryFor(model, package));
                } else {
                    const QStringList lines = IntWizard::ReadUtf8Lines(action.operands.at(1));
                    IntWizard::WriteWithManualLines(model, package, lines);
                }
            } else if (action.option == QLatin1String("--find-orphans")
                       || action.option == QLatin1String("--delete-orphans")) {
                OrphanFinder orphans(pump);
                orphans.Search(options.BaseDir);
                PrintLines(out, orphans.OrphanNames());
                if (action.option == QLatin1String("--delete-orphans"))
                    orphans.ConfirmAndDeleteOrphans(prompter);
            } else if (action.option == QLatin1String("--name")) {
                findName = arg;
            } else if (action.option == QLatin1String("--containing")) {
                findContaining = arg;
            } else if (action.option == QLatin1String("--in")) {
                findIn = arg;
            } else if (action.option == QLatin1String("--parents")
                       || action.option == QLatin1String("--children")) {
                findParents = action.option == QLatin1String("--parents");
            } else if (action.option == QLatin1String("--find")) {
                // Where to search is looked up now: the model may have been
                // empty when --in was read.
                TreeNode *lookIn = nullptr;
                QString missing;
                if (findIn.startsWith(QLatin1String("class:"))) {
                    const QString name = findIn.mid(6);
                    lookIn = model.FindNode(model.Browser(), name);
                    if (!lookIn)
                        missing = QStringLiteral("There is no class \"") + name + QStringLiteral("\" in the class tree.");
                } else if (findIn.startsWith(QLatin1String("package:"))) {
                    const QString name = findIn.mid(8);
                    TreeNode *root = model.PackagesBrowser().First();
                    const QString upper = UpperCase(name);
                    for (int row = 0; root && row < root->ChildCount() && !lookIn; ++row)
                        if (root->Child(row)->UpperText() == upper)
                            lookIn = root->Child(row);
                    if (!lookIn)
                        missing = QStringLiteral("There is no package \"") + name + QStringLiteral("\" in the package tree.");
                } else if (findIn == QLatin1String("packages")) {
                    lookIn = model.PackagesBrowser().First();
                    if (!lookIn)
                        missing = QStringLiteral("The package tree is empty.");
                }
                if (!missing.isEmpty()) {
                    prompter.NoteError();
                    prompter.Say(missing);
                    continue;
                }
                finder.SetLookIn(lookIn);
                if (lookIn && findParents)
                    finder.SelectSearchIn(2);
                if (ClassFinder::LooksForNothing(findName, findContaining)) {
                    prompter.Plain(QLatin1String(ClassFinder::NothingMessage));
                    continue;
                }
                const ClassFinder::Outcome outcome =
                    finder.SearchClasses(findName, findContaining, finder.SearchInSelected() == 2);
                QStringList lines;
                for (const FindResult &row : finder.Results())
                    lines.append(row.className + QLatin1Char('\t') + row.package + QLatin1Char('\t')
                                 + QString::number(row.line) + QLatin1Char('\t') + row.context);
                PrintLines(out, lines);
                if (outcome == ClassFinder::Outcome::TooDeep)
                    prompter.Error(QLatin1String(ClassFinder::RecursionMessage));
            } else if (action.option == QLatin1String("--print")) {
                if (arg == QLatin1String("classes")) {
                    PrintLines(out, TreeText::Write(model.Browser()));
                } else if (arg == QLatin1String("packages")) {
                    PrintLines(out, TreeText::Write(model.PackagesBrowser()));
                } else if (arg == QLatin1String("bindings")) {
                    PrintLines(out, model.Bindings().Entries());
                } else if (arg == QLatin1String("log") || arg == QLatin1String("log-raw")) {
                    CompilerLog log;
                    const CompilerLog::View view = log.LoadLog(options.BaseDir, arg == QLatin1String("log"));
                    if (!view.opened) {
                        prompter.NoteError();
                        prompter.Say(view.errorText);
                    } else {
                        PrintLines(out, view.lines);
                        if (arg == QLatin1String("log") && log.ErrorsFound())
                            prompter.NoteError();
                    }
                } else if (arg == QLatin1String("unresolved")) {
                    PrintLines(out, model.Files().Entries());
                } else {
                    QStringList lines;
                    const PackageList &packages = model.Packages();
                    for (int row = 0; row < packages.Count(); ++row) {
                        const PackageList::Mark mark = packages.MarkAt(row);
                        lines.append((mark == PackageList::Mark::Checked  ? QStringLiteral("[x] ")
                                      : mark == PackageList::Mark::Grey ? QStringLiteral("[-] ")
                                                                        : QStringLiteral("[ ] "))
                                     + packages.Text(row));
                    }
                    PrintLines(out, lines);
                }
            }
        } catch (const KelvarinError &error) {
            prompter.NoteError();
            prompter.Say(error.Message());
        } catch (const std::bad_alloc &) {
            prompter.NoteError();
            prompter.Say(QStringLiteral("Out of memory"));
        }
    }
    out.flush();
    // The process ends right after this: leaving the model to the operating
    // system saves tearing down every node. Leak-checked builds free it, so
    // the checker sees no leak that is not one.
    if (processEndsAfterwards && !LeakCheckedBuild)
        (void)owned.release();
    return prompter.ErrorShown() ? 1 : 0;
}

} // namespace kelvarin
