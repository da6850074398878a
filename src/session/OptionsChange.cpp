#include "session/OptionsChange.h"

#include "model/ClassModel.h"
#include "persist/Options.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>

namespace kelvarin {

QString OptionsChange::ProgramPath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

bool OptionsChange::Store(TOptions &options, Registry &registry, Prompter &prompter,
                          const QString &programPath)
{
    if (SaveOptions(options, registry, programPath))
        return true;
    prompter.Error(QLatin1String(StoreFailedMessage));
    return false;
}

OptionsChange::Result OptionsChange::Apply(TOptions &options, Registry &registry, ClassModel &model,
                                           Prompter &prompter, const std::function<void(TOptions &)> &apply,
                                           const QString &programPath)
{
    const QString previousBaseDir = options.BaseDir;
    apply(options);
    Store(options, registry, prompter, programPath);
    // Exact comparison: a change of letter case alone reloads as well.
    if (options.BaseDir == previousBaseDir)
        return Result::Kept;
    if (model.Busy())
        return Result::ReloadRefused;
    model.ResetModel();
    return Result::Reloaded;
}

} // namespace kelvarin
