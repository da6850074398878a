// Times loading a synthetic game directory the way the program does it:
// scanning and resolving every package into both trees with the
// application's event pump in place, saving the state, and loading it back.
//
//   bench_load [packages] [classes-per-package] [directory]
//
// Without a directory the game is generated in a temporary directory.

#include "SyntheticGame.h"

#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/Scanner.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "platform/AppEventPump.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace kelvarin;

namespace {

class CountingPrompter : public Prompter
{
public:
    MessageAnswer Ask(const QString &text, const QString &, MessageIcon, MessageButtons,
                      MessageAnswer) override
    {
        ++shown;
        last = text;
        return MessageAnswer::No;
    }
    int shown = 0;
    QString last;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    bench::SyntheticGameShape shape;
    QTemporaryDir temp;
    int classes = 0;
    const QString dir = bench::WriteGameFromArguments(args, temp, shape, classes);
    out << "game: " << dir << " with " << classes << " classes in " << shape.packages << " packages\n";

    TOptions options;
    options.BaseDir = dir;
    AppEventPump pump;
    CountingPrompter prompter;
    ClassModel model(options, pump, prompter);
    PackageLoader loader(model);
    StateFile states(model);

    // First touch of the files warms the page cache, so every run measures
    // the same thing; the figures below are from warm runs.
    loader.ReadDefaultPackages();

    const int runs = 5;
    qint64 bestRead = -1, bestSave = -1, bestLoad = -1, bestScan = -1;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        model.ResetModel();
        for (int row = 0; row < model.Packages().Count(); ++row)
            Scanner::ScanPackageDir(model, model.Files(),
                                    dir + QLatin1Char('\\') + model.Packages().Text(row) + QLatin1String("\\Classes\\"));
        Scanner::ResolveFilesList(model, model.Browser(), model.Files(), false);
        model.SortTrees();
        const qint64 scan = timer.nsecsElapsed();

        timer.restart();
        loader.ReadDefaultPackages();
        const qint64 read = timer.nsecsElapsed();
        timer.restart();
        states.SaveState(dir + QLatin1String("/bench.Kelvar"));
        const qint64 save = timer.nsecsElapsed();
        timer.restart();
        states.LoadState(dir + QLatin1String("/bench.Kelvar"));
        const qint64 load = timer.nsecsElapsed();
        auto best = [](qint64 &b, qint64 v) { if (b < 0 || v < b) b = v; };
        best(bestScan, scan);
        best(bestRead, read);
        best(bestSave, save);
        best(bestLoad, load);
    }
    out << "classes loaded: " << model.ClassCount() << ", unresolved: " << model.Files().Count()
        << ", messages: " << prompter.shown << "\n";
    out << "scan+resolve+sort all packages:   " << bestScan / 1e6 << " ms\n";
    out << "read default packages:            " << bestRead / 1e6 << " ms\n";
    out << "read default packages + save:     " << (bestRead + bestSave) / 1e6 << " ms\n";
    out << "load state:                       " << bestLoad / 1e6 << " ms\n";
    return 0;
}
