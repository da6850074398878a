// Times the class finder on a synthetic game that is already loaded: a
// search by name over all classes, a search for a text in every source
// ("defaultproperties", which nearly every class has) next to
// `grep -r -l -i` over the same directory, and how soon a search ends
// once it is told to stop.
//
//   bench_find [packages] [classes-per-package] [directory]
//
// Without a directory the game is generated in a temporary directory.

#include "SyntheticGame.h"

#include "model/ClassModel.h"
#include "model/PackageLoader.h"
#include "model/Options.h"
#include "platform/AppEventPump.h"
#include "platform/Prompter.h"
#include "support/ScriptedPrompter.h"
#include "search/ClassFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace kelvarin;

namespace {

// The application's pump, with a step that can run on the n-th call.
class BenchPump : public EventPump
{
public:
    void Pump() override
    {
        m_app.Pump();
        if (action && ++calls == actionAt)
            action();
    }
    bool Terminating() const override { return m_app.Terminating(); }
    void SetTerminating() override { m_app.SetTerminating(); }

    int calls = 0;
    int actionAt = -1;
    std::function<void()> action;

private:
    AppEventPump m_app;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

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

    TOptions options;
    options.BaseDir = dir;
    BenchPump pump;
    test::ScriptedPrompter prompter;   // answers No
    prompter.defaultYes = false;
    ClassModel model(options, pump, prompter);
    PackageLoader(model).ReadDefaultPackages();
    ClassFinder finder(model);
    int statuses = 0;
    finder.SetStatusSink([&statuses](const QString &) { ++statuses; });
    out << "game: " << dir << " with " << classes << " classes in " << shape.packages << " packages; "
        << model.ClassCount() << " classes loaded\n";

    const int runs = 9;
    const QString text = QStringLiteral("defaultproperties");

    // (a) By name only: no file is read.
    std::vector<double> byName;
    qsizetype nameRows = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        finder.SearchClasses(QStringLiteral("class05"), QString(), false);
        byName.push_back(Ms(timer.nsecsElapsed()));
        nameRows = finder.Results().size();
    }

    // (b) A text in every source; the first run warms the page cache.
    finder.SearchClasses(QString(), text, false);
    std::vector<double> containing;
    qsizetype textRows = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        finder.SearchClasses(QString(), text, false);
        containing.push_back(Ms(timer.nsecsElapsed()));
        textRows = finder.Results().size();
    }

    // (c) grep over the same directory, started directly (no shell).
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    std::vector<double> grepTimes;
    qsizetype grepFiles = 0;
    if (!grep.isEmpty()) {
        for (int run = 0; run <= runs; ++run) {
            QProcess process;
            process.setProgram(grep);
            process.setArguments({QStringLiteral("-r"), QStringLiteral("-l"), QStringLiteral("-i"), text, dir});
            process.setStandardInputFile(QProcess::nullDevice());
            QElapsedTimer timer;
            timer.start();
            process.start();
            process.waitForFinished(-1);
            const double ms = Ms(timer.nsecsElapsed());
            const QByteArray listed = process.readAllStandardOutput();
            grepFiles = listed.count('\n');
            if (run > 0)   // the first run only warms up
                grepTimes.push_back(ms);
        }
    }

    // (d) From Stop to the search's return, after n nodes.
    std::vector<double> stopName, stopText;
    for (int run = 0; run < runs; ++run) {
        for (const bool withText : {false, true}) {
            QElapsedTimer sinceStop;
            pump.calls = 0;
            pump.actionAt = 200 + run * (classes / runs);
            pump.action = [&] {
                sinceStop.start();
                finder.Stop();
            };
            finder.SearchClasses(QString(), withText ? text : QString(), false);
            (withText ? stopText : stopName).push_back(Ms(sinceStop.nsecsElapsed()));
            pump.action = nullptr;
        }
    }

    const double a = Median(byName);
    const double b = Median(containing);
    const double c = Median(grepTimes);
    out << Qt::fixed;
    out.setRealNumberPrecision(2);
    out << "\nmedians of " << runs << " warm runs\n";
    out << "  (a) name \"class05\", all classes           " << a << " ms   (" << nameRows
        << " rows; target < 20 ms)\n";
    out << "  (b) containing \"" << text << "\"     " << b << " ms   (" << textRows << " rows)\n";
    if (grep.isEmpty()) {
        out << "  (c) grep -r -l -i: skipped, no grep on the PATH\n";
    } else {
        out << "  (c) grep -r -l -i " << text << "   " << c << " ms   (" << grepFiles << " files)\n";
        out << "      ratio (b)/(c)                         " << (c > 0 ? b / c : 0) << "   (target <= 1.5)\n";
    }
    out << "  (d) Stop to return, name only              " << Median(stopName) << " ms   (max "
        << *std::max_element(stopName.begin(), stopName.end()) << "; target < 50 ms)\n";
    out << "      Stop to return, containing             " << Median(stopText) << " ms   (max "
        << *std::max_element(stopText.begin(), stopText.end()) << ")\n";
    return 0;
}
