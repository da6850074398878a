// Times kelvarin-cli as whole processes, start included, against grep reading
// the same sources, in alternating runs, and reports medians with their goals:
//
//   read default packages and save the state   at most 1.3 times
//                                              grep -r -m1 -i '^class '
//   (the same, over a saved state that differs, every file replaced: shown)
//   read default packages alone                at most 1.0 times that grep
//                                              (20,000 classes)
//   peak memory of that run                    under 40 MB
//   loading the state back                     at most 2 times a bare start
//                                              (kelvarin-cli --version)
//   a bare start                               at most 1.5 times grep -r -m1 -i
//                                              '^class ' over one package of
//                                              30 small classes
//
//   bench_cli [--game-shaped] [packages] [classes-per-package] [directory] [--runs N] [--program PATH]
//
// Without a directory the game is generated in a temporary directory;
// --game-shaped writes sources shaped like the game's own. The
// program is the kelvarin-cli built beside this benchmark unless --program
// names another. Its settings store is a temporary one.

#include "SyntheticGame.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

struct Run
{
    double wallMs = 0;
    double peakMb = 0;
};

// Starts argv with its output thrown away and waits for it.
Run Time(const QStringList &argv)
{
    std::vector<QByteArray> bytes;
    for (const QString &arg : argv)
        bytes.push_back(arg.toLocal8Bit());
    std::vector<char *> args;
    for (QByteArray &b : bytes)
        args.push_back(b.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        qFatal("cannot start %s", args[0]);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallMs = timer.nsecsElapsed() / 1e6;
    run.peakMb = usage.ru_maxrss / 1024.0;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments();
    int runs = 15;
    QString program = QDir(app.applicationDirPath()).filePath(QStringLiteral("../kelvarin-cli"));
    for (int i = 1; i + 1 < args.size();) {
        if (args.at(i) == QLatin1String("--runs")) {
            runs = std::max(1, args.at(i + 1).toInt());
            args.remove(i, 2);
        } else if (args.at(i) == QLatin1String("--program")) {
            program = args.at(i + 1);
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (!QFileInfo(program).isExecutable()) {
        out << "no program at " << program << " (give --program)\n";
        return 2;
    }
    kelvarin::bench::SyntheticGameShape shape;
    QTemporaryDir temp;
    int classes = 0;
    const QString dir = kelvarin::bench::WriteGameFromArguments(args, temp, shape, classes);
    out << "game: " << dir << " with " << classes << " classes in " << shape.packages << " packages\n";
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    const QString state = dir + QLatin1String("/bench.Kelvar");

    const QStringList readAndSave{program, "--base", dir, "--read-default", "--save-state", state};
    // Saving again what is saved leaves the files as they are; a state that
    // differs has all four replaced, which costs more on some file systems.
    const auto makeStateDiffer = [&dir] {
        for (const char *suffix : {".UTree", ".UPack", ".UBind", ".Kelvar"}) {
            QFile file(dir + QLatin1String("/bench") + QLatin1String(suffix));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write("\n") != 1)
                qFatal("cannot change %s", qPrintable(file.fileName()));
        }
    };
    const QStringList readOnly{program, "--base", dir, "--read-default"};
    const QStringList grep{"grep", "-r", "-m1", "-i", "^class ", dir};
    const QStringList loadState{program, "--base", dir, "--load-state", state};
    const QStringList bare{program, "--version"};
    // One package of 30 small classes, what a bare start is held against.
    QTemporaryDir smallTemp;
    kelvarin::bench::SyntheticGameShape small;
    small.packages = 1;
    small.classesPerPackage = 30;
    const QString smallPackage = smallTemp.path() + QLatin1String("/Core");
    kelvarin::bench::WriteSyntheticGame(smallTemp.path(), small);
    const QStringList grepSmall{"grep", "-r", "-m1", "-i", "^class ", smallPackage};

    // Warm-up: the page cache holds the sources, and the state exists.
    for (int i = 0; i < 2; ++i) {
        Time(readAndSave);
        Time(grep);
    }
    std::vector<double> read, grepped, ratio, peak, load, start, grepOne, startRatio, readAlone, readAloneRatio,
        replaced, replacedRatio;
    for (int i = 0; i < runs; ++i) {
        // Alternating, so a drift of the machine's speed hits both alike.
        const Run a = Time(readAndSave);
        const Run b = Time(grep);
        read.push_back(a.wallMs);
        grepped.push_back(b.wallMs);
        ratio.push_back(a.wallMs / b.wallMs);
        peak.push_back(a.peakMb);
        makeStateDiffer();
        const Run over = Time(readAndSave);
        const Run grepOver = Time(grep);
        replaced.push_back(over.wallMs);
        replacedRatio.push_back(over.wallMs / grepOver.wallMs);
        const Run alone = Time(readOnly);
        const Run grepAgain = Time(grep);
        readAlone.push_back(alone.wallMs);
        readAloneRatio.push_back(alone.wallMs / grepAgain.wallMs);
        const Run c = Time(loadState);
        const Run d = Time(bare);
        load.push_back(c.wallMs);
        start.push_back(d.wallMs);
        const Run e = Time(grepSmall);
        grepOne.push_back(e.wallMs);
        startRatio.push_back(d.wallMs / e.wallMs);
    }
    std::vector<double> beyond, loadRatio;
    for (size_t i = 0; i < load.size(); ++i) {
        beyond.push_back(load[i] - start[i]);
        loadRatio.push_back(load[i] / start[i]);
    }
    out << "medians of " << runs << " alternating runs (whole processes, wall clock):\n";
    out << "read default packages + save state: " << Median(read) << " ms\n";
    out << "grep -r -m1 -i '^class ':            " << Median(grepped) << " ms\n";
    out << "ratio (pair by pair):               " << Median(ratio) << "   goal <= 1.3\n";
    out << "peak memory of read + save:         " << Median(peak) << " MB   goal < 40 MB\n";
    out << "the same over a state that differs: " << Median(replaced) << " ms\n";
    out << "ratio to grep (pair by pair):       " << Median(replacedRatio) << "\n";
    out << "read default packages alone:        " << Median(readAlone) << " ms\n";
    out << "ratio to grep (pair by pair):       " << Median(readAloneRatio) << "   goal <= 1.0 at 20,000 classes\n";
    out << "load state:                         " << Median(load) << " ms\n";
    out << "bare start (--version):             " << Median(start) << " ms\n";
    out << "load state beyond a bare start:     " << Median(beyond) << " ms\n";
    out << "load state / bare start (pair by pair): " << Median(loadRatio) << "   goal <= 2\n";
    out << "grep over one 30-class package:     " << Median(grepOne) << " ms\n";
    out << "bare start / that grep (pair by pair): " << Median(startRatio) << "   goal <= 1.5\n";
    return 0;
}
