// A victim for the tests that kill a writer mid-write: performs one kind of
// file write over and over in a game directory until it is killed, or a
// given number of times. It creates "<base>/ready" once it is set up, so the
// killer strikes while the writes run, not during start-up.
//
//   kelvarin-writer-loop state|ini|options|int|newclass BASE [COUNT]
//
// COUNT (default: forever) writes alternate between version A (odd) and B
// (even); newclass creates the classes C1, C2, ... instead.
#include "authoring/IntFile.h"
#include "authoring/NewClassCommands.h"
#include "model/ClassModel.h"
#include "model/EditPackagesFile.h"
#include "model/PackageLoader.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "platform/EventPump.h"
#include "platform/RegFileRegistry.h"
#include "support/ScriptedPrompter.h"
#include "support/WriterVersions.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>

using namespace kelvarin;

namespace {

struct Model
{
    TOptions options;
    NullEventPump pump;
    test::ScriptedPrompter prompter;
    ClassModel model{options, pump, prompter};

    Model(const QString &base, bool withMyMod)
    {
        options.BaseDir = base;
        model.ResetModel();
        PackageLoader loader(model);
        loader.ReadDefaultPackages();
        if (withMyMod) {
            const int row = model.Packages().IndexOf(QStringLiteral("MyMod"));
            model.Packages().SetMark(row, PackageList::Mark::Checked);
            loader.PackageTickChanged(row);
        }
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: kelvarin-writer-loop state|ini|options|int|newclass BASE [COUNT]\n", stderr);
        return 2;
    }
    const QString mode = args.at(1);
    const QString base = args.at(2);
    const long long count = args.size() > 3 ? args.at(3).toLongLong() : -1;

    std::function<void(long long)> write;
    std::unique_ptr<Model> a, b;
    std::unique_ptr<RegFileRegistry> registry;
    test::ScriptedPrompter prompter;
    if (mode == QLatin1String("state")) {
        a = std::make_unique<Model>(base, false);
        b = std::make_unique<Model>(base, true);
        write = [&](long long n) {
            StateFile((n % 2 ? a : b)->model).SaveState(base + QLatin1String("/States/S.Kelvar"));
        };
    } else if (mode == QLatin1String("ini")) {
        write = [&](long long n) {
            EditPackagesFile(base, prompter).WriteEditPackagesList(test::WriterVersions::EditPackages(n % 2));
        };
    } else if (mode == QLatin1String("options")) {
        registry = std::make_unique<RegFileRegistry>(base + QLatin1String("/registry.reg"));
        write = [&](long long n) {
            TOptions options = test::WriterVersions::Options(n % 2);
            SaveOptions(options, *registry, QString());
        };
    } else if (mode == QLatin1String("int")) {
        write = [&](long long n) {
            IntFile::Write(IntFile::PathFor(base, QStringLiteral("MyMod")), test::WriterVersions::IntLines(n % 2));
        };
    } else if (mode == QLatin1String("newclass")) {
        a = std::make_unique<Model>(base, true);
        // Carries on after the classes an earlier (killed) run created.
        long long first = 1;
        while (QFile::exists(base + QStringLiteral("/MyMod/Classes/C%1.uc").arg(first)))
            ++first;
        write = [&, first](long long n) {
            NewClassCommands(a->model).CreateClassFile(QStringLiteral("C%1").arg(first + n - 1),
                                                       QStringLiteral("Actor"), QStringLiteral("MyMod"));
        };
    } else {
        std::fputs("unknown mode\n", stderr);
        return 2;
    }

    QFile ready(base + QLatin1String("/ready"));
    if (!ready.open(QIODevice::WriteOnly))
        return 3;
    ready.close();
    for (long long n = 1; count < 0 || n <= count; ++n)
        write(n);
    return 0;
}
