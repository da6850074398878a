// The state file loader: four files (".Kelvar", ".UTree", ".UPack",
// ".UBind") cut from one input at 0x1E bytes. A state that loads is saved
// and loaded again and must come back the same.
#include "FuzzSupport.h"

#include "persist/StateFile.h"

using namespace kelvarin;

namespace {

QStringList Dump(const Tree &tree)
{
    QStringList lines;
    for (TreeNode *node = tree.First(); node; node = Tree::Next(node))
        lines.append(QString::number(node->Depth()) + QLatin1Char(' ') + node->Text());
    return lines;
}

QStringList Snapshot(ClassModel &model)
{
    QStringList state{QStringLiteral("[packages]")};
    const PackageList &packages = model.Packages();
    for (int row = 0; row < packages.Count(); ++row)
        if (packages.MarkAt(row) == PackageList::Mark::Checked)
            state.append(packages.Text(row));
    state.append(QStringLiteral("[classes]"));
    state += Dump(model.Browser());
    state.append(QStringLiteral("[packagetree]"));
    state += Dump(model.PackagesBrowser());
    state.append(QStringLiteral("[bindings]"));
    state += model.Bindings().Entries();
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = fuzz::Split(fuzz::Bytes(data, size), '\x1e', 4);
    const fuzz::Scratch &scratch = fuzz::ScratchWith(QStringLiteral("State/Fuzz.Kelvar"), parts[0]);
    scratch.Write(QStringLiteral("State/Fuzz.UTree"), parts[1]);
    scratch.Write(QStringLiteral("State/Fuzz.UPack"), parts[2]);
    scratch.Write(QStringLiteral("State/Fuzz.UBind"), parts[3]);

    fuzz::Model first(scratch.Base());
    bool loaded = false;
    try {
        loaded = StateFile(first.model).LoadState(scratch.GamePath(QStringLiteral("State/Fuzz.Kelvar")));
    } catch (const KelvarinError &) {
        return 0;   // an invalid tree: refused with its message
    }
    fuzz::Check(loaded, "a complete state was not loaded");
    const QStringList state = Snapshot(first.model);

    const QString copy = scratch.GamePath(QStringLiteral("State/Copy.Kelvar"));
    const char *unsaved = "a loaded state cannot be saved";
    fuzz::Check(fuzz::NoError(unsaved, [&] { return StateFile(first.model).SaveState(copy); }), unsaved);
    fuzz::Model second(scratch.Base());
    const char *unloaded = "a saved state does not load";
    fuzz::Check(fuzz::NoError(unloaded, [&] { return StateFile(second.model).LoadState(copy); }), unloaded);
    const QStringList again = Snapshot(second.model);
    fuzz::Check(again == state, "a saved state loads as another state",
                state.join(QLatin1Char('|')) + QLatin1String("\n  != ") + again.join(QLatin1Char('|')));
    return 0;
}
