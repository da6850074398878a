// Times the tree views of the main window on a large model: the real
// TDisplayForm with its KelvarTreeViews over the real adapters, on the
// offscreen platform, with the program's event pump.
//
//   bench_views [--runs N] [packages] [classes-per-package] [directory]
//
// The default game has 10 packages of 2,000 classes (20,000 classes), so
// every package node of the package tree has 2,000 children. Each figure
// includes the layout and the paint that follow the change: the views'
// pending layout and repaints are carried out before the clock stops.
//
//   expand     a package node with its 2,000 classes, scrolled into view
//   sort       the trees' sort that follows loading a package (here the
//              last one, 2,000 classes, loaded again after an untick), as
//              every package load and "Read default packages" run it
//   switch     "Switch Class/Package tree" (F6) from the class tree to the
//              package tree, and back: finding the class, opening its
//              collapsed parents and scrolling to it
//
// The three are measured in turn, round after round, so all of them see
// the same background load.

#include "BenchSupport.h"
#include "SyntheticGame.h"
#include "support/ScriptedPrompter.h"

#include "app/gui/DisplayForm.h"
#include "app/gui/MainWindowParts.h"
#include "platform/SystemShell.h"
#include "platform/gui/WidgetPickers.h"
#include "app/gui/KelvarTreeView.h"
#include "app/gui/TreeModelAdapter.h"
#include "model/ClassModel.h"
#include "model/PackageList.h"
#include "model/Scanner.h"
#include "model/TextRules.h"
#include "model/Tree.h"
#include "persist/Options.h"
#include "platform/AppEventPump.h"
#include "platform/Keyboard.h"
#include "platform/Prompter.h"
#include "platform/RegFileRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace kelvarin;
using bench::Figures;

namespace {

constexpr double GoalMs = 100;

class NoModifiers : public Keyboard
{
public:
    bool CtrlHeld() const override { return false; }
};

// Carries out what a change left pending in the views: the posted layout,
// the geometry and scroll bar updates, and the paint of both trees.
void Settle(TDisplayForm &form)
{
    QCoreApplication::processEvents();
    form.Browser()->viewport()->repaint();
    form.PackagesBrowser()->viewport()->repaint();
    QCoreApplication::processEvents();
}

double TimeMs(TDisplayForm &form, const std::function<void()> &change)
{
    QElapsedTimer timer;
    timer.start();
    change();
    Settle(form);
    return double(timer.nsecsElapsed()) / 1e6;
}

void CollapseBelowTop(KelvarTreeView *view, TreeNode *node)
{
    for (TreeNode *n = node ? node->Parent() : nullptr; n && n->Parent(); n = n->Parent())
        view->collapse(view->Adapter()->IndexOf(n));
}

void Print(QTextStream &out, const char *what, const Figures &f, bool goal)
{
    bench::Print(out, what, f, 2,
                 goal ? QString(QStringLiteral("goal < 100 ms") + (f.Median() < GoalMs ? "" : "   MISSED")) : QString());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments();
    int runs = 15;
    for (int i = 1; i < args.size();) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args.at(i + 1).toInt());
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    // 10 packages of 2,000 classes unless the arguments say otherwise.
    if (args.size() < 2)
        args << QStringLiteral("10");
    if (args.size() < 3)
        args << QStringLiteral("2000");

    bench::SyntheticGameShape shape;
    QTemporaryDir gameTemp;
    QTemporaryDir store;
    int classes = 0;
    const QString gameDir = bench::WriteGameFromArguments(args, gameTemp, shape, classes);
    out << "game: " << gameDir << " with " << classes << " classes in " << shape.packages << " packages\n";
    if (classes <= 0) {
        out << "no classes to show: bench_views [--runs N] [packages] [classes-per-package] [directory]\n";
        return 2;
    }

    // The stored options name the game, as after the first start.
    RegFileRegistry registry(store.filePath(QStringLiteral("registry.reg")));
    {
        TOptions seed;
        LoadOptions(seed, registry);
        seed.BaseDir = QDir::toNativeSeparators(gameDir);
        SaveOptions(seed, registry, QString());
    }

    AppEventPump pump;
    test::ScriptedPrompter prompter;   // answers No
    prompter.defaultYes = false;
    NoModifiers keyboard;
    WidgetPickers pickers;
    SystemShell shell;
    MainWindowSeams seams{registry, pump, prompter, keyboard, pickers, shell};
    seams.quit = [] {};
    MainWindowParts parts(seams);
    TDisplayForm &form = parts.form;
    ClassModel &model = parts.model;
    TOptions &options = parts.options;
    form.resize(900, 700);
    form.show();
    form.activateWindow();
    for (QElapsedTimer wait; !form.isActiveWindow();) {
        if (!wait.isValid())
            wait.start();
        if (wait.elapsed() > 5000) {
            out << "the window did not become active\n";
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    QElapsedTimer loadTimer;
    loadTimer.start();
    form.ReaddefaultpackagesMenuItemClick();
    Settle(form);
    out << "read default packages: " << model.ClassCount() << " classes in "
        << QString::number(double(loadTimer.nsecsElapsed()) / 1e9, 'f', 2) << " s, messages: " << prompter.shown.size()
        << (!prompter.shown.isEmpty() ? " (" + prompter.Texts().last() + ")" : QString()) << "\n";
    if (model.ClassCount() != classes) {
        out << "not every class was loaded\n";
        return 1;
    }

    KelvarTreeView *browser = form.Browser();
    KelvarTreeView *packages = form.PackagesBrowser();
    Tree &packageTree = model.PackagesBrowser();
    Tree &classTree = model.Browser();

    // The package node with the most children.
    TreeNode *packageRoot = packageTree.First();
    if (!packageRoot || packageRoot->ChildCount() == 0) {
        out << "the package tree is empty\n";
        return 1;
    }
    TreeNode *bigPackage = nullptr;
    for (int row = 0; row < packageRoot->ChildCount(); ++row)
        if (!bigPackage || packageRoot->Child(row)->ChildCount() > bigPackage->ChildCount())
            bigPackage = packageRoot->Child(row);
    const QString bigName = bigPackage->Text();
    const int bigChildren = bigPackage->ChildCount();
    out << "expanding " << bigName << " with " << bigPackage->ChildCount() << " children\n";
    // Nodes are found again in every round: the reload of (b) makes new ones.
    const auto packageNode = [&packageTree](const QString &name) -> TreeNode * {
        TreeNode *root = packageTree.First();
        for (int row = 0; root && row < root->ChildCount(); ++row)
            if (root->Child(row)->Text() == name)
                return root->Child(row);
        return nullptr;
    };

    // The class switched between the trees: the last of the last package,
    // the longest walk through the package tree.
    TreeNode *lastPackage = packageRoot->Child(packageRoot->ChildCount() - 1);
    TreeNode *switchClass = nullptr;
    for (int row = lastPackage->ChildCount() - 1; row >= 0 && !switchClass; --row)
        if (lastPackage->Child(row)->ImageIndex() == 1)
            switchClass = lastPackage->Child(row);
    if (!switchClass) {
        out << "no class in the last package\n";
        return 1;
    }
    const QString switchName = switchClass->Text();
    out << "switching on " << switchName << " of " << lastPackage->Text() << "\n";

    // The package reloaded for the sort: the last one of the list that no
    // other package builds on (an untick refuses the others).
    PackageList &packageList = model.Packages();
    int sortRow = -1;
    for (int row = packageList.Count() - 1; row >= 0 && sortRow < 0; --row) {
        form.PackageListClickCheck(row, PackageList::Mark::Unchecked);
        if (packageList.MarkAt(row) == PackageList::Mark::Unchecked)
            sortRow = row;
    }
    if (sortRow < 0) {
        out << "no package can be unloaded\n";
        return 1;
    }
    const QString sortPackage = packageList.Text(sortRow);
    const auto reload = [&] {
        packageList.SetMark(sortRow, PackageList::Mark::Checked);
        Scanner::ScanPackageDir(model, model.Files(),
                                options.BaseDir + QLatin1Char('\\') + sortPackage + QLatin1String("\\Classes\\"));
        Scanner::ResolveFilesList(model, model.Browser(), model.Files(), false);
    };
    reload();
    model.SortTrees();
    Settle(form);
    out << "sorting after a load of " << sortPackage << "\n";

    Figures expand, sort, toPackages, toClasses;
    for (int round = 0; round < runs; ++round) {
        // (a) Expanding the big package, scrolled to the top of the view.
        bigPackage = packageNode(bigName);
        if (!bigPackage) {
            out << "the package " << bigName << " is gone\n";
            return 1;
        }
        packages->collapse(packages->Adapter()->IndexOf(bigPackage));
        packages->scrollTo(packages->Adapter()->IndexOf(bigPackage), QAbstractItemView::PositionAtTop);
        Settle(form);
        expand.Add(TimeMs(form, [&] { packages->expand(packages->Adapter()->IndexOf(bigPackage)); }));

        // (b) The sort after a package load: untick, load its sources and
        // attach the classes as a tick does, then the sort it ends with.
        form.PackageListClickCheck(sortRow, PackageList::Mark::Unchecked);
        Settle(form);
        if (packageList.MarkAt(sortRow) != PackageList::Mark::Unchecked) {
            out << "the package " << sortPackage << " could not be unloaded\n";
            return 1;
        }
        reload();
        sort.Add(TimeMs(form, [&] { model.SortTrees(); }));
        if (model.ClassCount() != classes) {
            out << "the reloaded package is incomplete\n";
            return 1;
        }

        // (c) The tree switch, there and back, each time onto collapsed
        // parents.
        TreeNode *inClasses = nullptr;
        if (const auto *named = classTree.NodesNamed(UpperCase(switchName)))
            for (TreeNode *node : *named)
                inClasses = node;
        TreeNode *inPackages = nullptr;
        if (const auto *named = packageTree.NodesNamed(UpperCase(switchName)))
            for (TreeNode *node : *named)
                if (node->ImageIndex() == 1)
                    inPackages = node;
        if (!inClasses || !inPackages) {
            out << "the class " << switchName << " is gone\n";
            return 1;
        }
        CollapseBelowTop(packages, inPackages);
        browser->setFocus();
        classTree.Select(inClasses);
        browser->scrollTo(browser->Adapter()->IndexOf(inClasses));
        Settle(form);
        toPackages.Add(TimeMs(form, [&] { form.SwitchClassPackagetreeMenuitemClick(); }));
        if (packageTree.Selected() != inPackages || !packages->hasFocus()) {
            out << "the switch to the package tree did not arrive\n";
            return 1;
        }
        CollapseBelowTop(browser, inClasses);
        browser->verticalScrollBar()->setValue(0);
        Settle(form);
        toClasses.Add(TimeMs(form, [&] { form.SwitchClassPackagetreeMenuitemClick(); }));
        if (classTree.Selected() != inClasses || !browser->hasFocus()) {
            out << "the switch to the class tree did not arrive\n";
            return 1;
        }
    }

    // For scale: the first sort of every class at once, all of them attached
    // in directory order, as after a refresh that resolved them.
    Figures fullSort;
    for (int round = 0; round < std::min(runs, 5); ++round) {
        model.ResetModel();
        for (int row = 0; row < packageList.Count(); ++row)
            Scanner::ScanPackageDir(model, model.Files(), options.BaseDir + QLatin1Char('\\')
                                                             + packageList.Text(row) + QLatin1String("\\Classes\\"));
        Scanner::ResolveFilesList(model, classTree, model.Files(), false);
        if (model.ClassCount() != classes) {
            out << "not every class was attached again\n";
            return 1;
        }
        Settle(form);
        fullSort.Add(TimeMs(form, [&] { model.SortTrees(); }));
    }

    out << "tree views on " << classes << " classes:\n";
    const QString expandLabel = QStringLiteral("  (a) expand a node of %1 children:").arg(bigChildren);
    Print(out, qPrintable(expandLabel.leftJustified(41)), expand, true);
    Print(out, "  (b) sort after loading a package:      ", sort, true);
    Print(out, "  (c) switch class tree -> package tree: ", toPackages, true);
    Print(out, "  (c) switch package tree -> class tree: ", toClasses, true);
    Print(out, "  for scale, a first sort of all classes: ", fullSort, false);
    const bool met = expand.Median() < GoalMs && sort.Median() < GoalMs && toPackages.Median() < GoalMs
        && toClasses.Median() < GoalMs;
    out << (met ? "all goals met\n" : "goal missed\n");
    return 0;
}
