// Times the model's long operations on a synthetic game directory, in one
// process with warm caches, and how long each leaves the window without its
// event pump (goal: the pump runs at least every 50 ms):
//
//   read default packages, save the state, load it back, search a text in
//   every class, and unload every package.
//
//   bench_load [--game-shaped] [packages] [classes-per-package] [directory]
//   bench_load --chain [classes]
//
// Without a directory the game is generated in a temporary directory;
// --game-shaped writes sources shaped like the game's own. With
// --chain (20,000 classes by default) it times loading one package that holds
// a single chain of classes, once with every parent's file sorting before its
// child's and once with every parent sorting after (goal: under 1 s each).

#include "BenchSupport.h"
#include "SyntheticGame.h"
#include "support/ScriptedPrompter.h"

#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/PackageRemover.h"
#include "model/Options.h"
#include "persist/StateFile.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"
#include "search/ClassFinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace kelvarin;

namespace {

// A pump that notes the longest time between two of its calls (and between
// the start or end of an operation and the nearest call).
class GapPump : public EventPump
{
public:
    void Start()
    {
        m_longest = 0;
        m_since.start();
    }
    // The longest gap since Start, up to now.
    qint64 Stop()
    {
        Pump();
        return m_longest;
    }
    void Pump() override
    {
        m_longest = std::max(m_longest, m_since.nsecsElapsed());
        m_since.restart();
    }
    bool Terminating() const override { return false; }
    void SetTerminating() override {}

private:
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

double Ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

struct Figure
{
    qint64 best = -1;
    qint64 longestGap = 0;
    void Add(qint64 time, qint64 gap)
    {
        if (best < 0 || time < best)
            best = time;
        longestGap = std::max(longestGap, gap);
    }
};

// One package "Chain" of count classes C00000 <- C00001 <- ... in a game
// directory. reversed: each parent's file name sorts after its child's.
void WriteChainGame(const QString &dir, int count, bool reversed)
{
    QDir().mkpath(dir + QLatin1String("/System"));
    QDir().mkpath(dir + QLatin1String("/Chain/Classes"));
    QFile ini(dir + QLatin1String("/System/UnrealTournament.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Editor.EditorEngine]\r\nEditPackages=Chain\r\n");
    for (int i = 0; i < count; ++i) {
        // Forward: C00000 is the root and each class extends the one before.
        // Reversed: the root is the last name and each extends the one after.
        const int parent = reversed ? i + 1 : i - 1;
        const bool root = reversed ? i == count - 1 : i == 0;
        const QString name = QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0'));
        QFile file(dir + QLatin1String("/Chain/Classes/") + name + QLatin1String(".uc"));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        QByteArray text = "class " + name.toLatin1();
        if (!root)
            text += " expands C" + QByteArray::number(parent).rightJustified(5, '0');
        file.write(text + ";\r\n");
    }
}

int RunChain(QTextStream &out, int count)
{
    out << "chain of " << count << " classes in one package\n";
    for (const bool reversed : {false, true}) {
        QTemporaryDir temp;
        WriteChainGame(temp.path(), count, reversed);
        TOptions options;
        options.BaseDir = temp.path();
        GapPump pump;
        test::ScriptedPrompter prompter;   // answers No
        prompter.defaultYes = false;
        ClassModel model(options, pump, prompter);
        PackageLoader loader(model);
        loader.ReadDefaultPackages();   // warms the page cache
        QElapsedTimer timer;
        timer.start();
        pump.Start();
        loader.ReadDefaultPackages();
        const qint64 took = timer.nsecsElapsed();
        const qint64 gap = pump.Stop();
        out << (reversed ? "  parents sort after their children:  " : "  parents sort before their children: ")
            << Ms(took) << " ms   goal < 1000 ms   (" << model.ClassCount() << " classes loaded, longest "
            << Ms(gap) << " ms between pumps)\n";
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args.at(1) == QLatin1String("--chain"))
        return RunChain(out, args.size() > 2 ? std::max(2, args.at(2).toInt()) : 20000);

    bench::SyntheticGameShape shape;
    QTemporaryDir temp;
    int classes = 0;
    const QString dir = bench::WriteGameFromArguments(args, temp, shape, classes);
    out << "game: " << dir << " with " << classes << " classes in " << shape.packages << " packages\n";

    TOptions options;
    options.BaseDir = dir;
    GapPump pump;
    test::ScriptedPrompter prompter;   // answers No
    prompter.defaultYes = false;
    ClassModel model(options, pump, prompter);
    PackageLoader loader(model);
    StateFile states(model);
    ClassFinder finder(model);
    const QString state = dir + QLatin1String("/bench.Kelvar");

    // First touch of the files warms the page cache, so every run measures
    // the same thing; the figures below are the best of warm runs.
    loader.ReadDefaultPackages();

    Figure read, save, load, search, unload;
    auto measure = [&pump](Figure &figure, const auto &operation) {
        QElapsedTimer timer;
        timer.start();
        pump.Start();
        operation();
        const qint64 took = timer.nsecsElapsed();
        figure.Add(took, pump.Stop());
    };
    const int runs = 5;
    qsizetype found = 0;
    int unloaded = 0;
    for (int run = 0; run < runs; ++run) {
        measure(read, [&] { loader.ReadDefaultPackages(); });
        measure(save, [&] { states.SaveState(state); });
        measure(load, [&] { states.LoadState(state); });
        measure(search, [&] {
            finder.SearchClasses(QString(), QStringLiteral("defaultproperties"), false);
            found = finder.Results().size();
        });
        // Every package, the last loaded first (each depends only on earlier ones).
        QStringList loaded;
        for (int row = 0; row < model.Packages().Count(); ++row)
            if (model.Packages().MarkAt(row) == PackageList::Mark::Checked)
                loaded.append(model.Packages().Text(row));
        std::sort(loaded.begin(), loaded.end(), [](const QString &a, const QString &b) {
            // Core first, then Pkg01, Pkg02, ... as they were loaded.
            if ((a == QLatin1String("Core")) != (b == QLatin1String("Core")))
                return a == QLatin1String("Core");
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        measure(unload, [&] {
            unloaded = 0;
            for (auto it = loaded.crbegin(); it != loaded.crend(); ++it)
                unloaded += PackageRemover(model).UnloadPackage(*it) ? 1 : 0;
        });
    }
    out << "after the last runs: " << found << " classes contain \"defaultproperties\", " << unloaded
        << " packages unloaded, " << model.ClassCount() << " classes left, " << prompter.shown.size()
        << " messages\n";
    out << "best of " << runs << " warm runs; in brackets the longest time between two event pumps "
        << "(goal <= 50 ms)\n";
    auto line = [&out](const char *label, const Figure &figure) {
        out << label << Ms(figure.best) << " ms   (" << Ms(figure.longestGap) << " ms)\n";
    };
    line("read default packages:            ", read);
    line("save the state:                   ", save);
    line("load the state:                   ", load);
    line("search a text in every class:     ", search);
    line("unload every package:             ", unload);
    out << "read default packages + save:     " << Ms(read.best + save.best) << " ms\n";
    return 0;
}
