#include "app/gui/MainWindowParts.h"

#include "session/CommandGuard.h"

#include <QApplication>
#include <QMenu>

namespace kelvarin {

namespace {

MainWindowSeams WithDefaults(MainWindowSeams seams)
{
    if (!seams.popupRunner)
        seams.popupRunner = [](QMenu *menu, const QPoint &at) { menu->popup(at); };
    if (!seams.quit)
        seams.quit = [] { QCoreApplication::exit(0); };
    return seams;
}

} // namespace

MainWindowParts::MainWindowParts(const MainWindowSeams &givenSeams)
    : seams(WithDefaults(givenSeams)),
      model(options, seams.pump, seams.prompter),
      form(*this),
      aboutBox(&form),
      executeErrorBox(&form),
      errors(seams.errors ? *seams.errors : executeErrorBox),
      setDirForm(seams.optionsEditor ? nullptr : std::make_unique<TSetDirForm>(seams.pickers, &form)),
      optionsEditor(seams.optionsEditor ? *seams.optionsEditor : *setDirForm),
      commands(options, model),
      launchers(options, model, seams.shell, errors, seams.prompter),
      newClass(model),
      newClassBelow(seams.prompter, &form),
      compileRunner(options, seams.pump, seams.prompter, errors),
      compiler(options, compileRunner, &form),
      compilerLog(options, seams.prompter, &form),
      exporter(model, errors),
      exporterForm(exporter, &form),
      uccGate(compileRunner, exporter),
      finder(model),
      findBox(finder, seams.prompter, &form),
      intWizard(model),
      newIntWizard(intWizard, seams.prompter, &form),
      findOrphanForm(options, seams.pump, seams.prompter, &form)
{
    Wire();
}

MainWindowParts::~MainWindowParts()
{
    model.SetProcessSink(nullptr);
}

void MainWindowParts::Wire()
{
    // Progress of long operations shows on the splash box while it is up.
    model.SetProcessSink([this](const QString &text) {
        if (waitBox.isVisible())
            waitBox.ShowProcess(text);
    });

    commands.SetShell(&seams.shell, &errors);
    commands.SetIntWizard([this](const QString &package) { newIntWizard.ShowFor(package); });
    const auto openInEditor = [this](const QString &path) { commands.OpenInEditor(path); };
    newClass.SetDialog(&newClassBelow);
    newClass.SetOpenInEditor(openInEditor);
    newIntWizard.SetOpenInEditorHandler(openInEditor);
    findOrphanForm.SetModel(&model);

    compileRunner.SetView(&compiler);
    compileRunner.SetLogView(&compilerLog);
    compileRunner.SetTestRun([this] { form.TestRunButtonClick(); });
    compileRunner.SetBeep([] { QApplication::beep(); });
    compileRunner.SetMarkLastCompiled([this] { model.MarkLastCompiledPackage(); });
    compilerLog.SetOpenSourceHandler([this](const QString &path, int line) { form.OpenSourceLine(path, line); });
    // A compile and an export both run UCC: the compile commands wait while
    // either runs.
    uccGate.SetOpenChanged([this](bool open) { form.EnableCompileCommands(open); });
    QObject::connect(&exporterForm, &TExporterForm::BusyChanged, &form, [this](bool) { uccGate.Update(); });

    findBox.SetPopupRunner(seams.popupRunner);
    findBox.SetBrowseHandler([this](int column, TreeNode *node) { form.BrowseNode(column, node); });
    findBox.SetEditHandler([this](TreeNode *node) { form.EditNode(node); });
    form.PlaceFindBox();
}

} // namespace kelvarin
