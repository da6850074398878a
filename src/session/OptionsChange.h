#pragma once

#include <QString>

#include <functional>

namespace kelvarin {

class ClassModel;
class Prompter;
class Registry;
class TOptions;

// Storing the options, and taking in what the options dialog answered.
class OptionsChange
{
public:
    static constexpr const char *StoreFailedMessage = "Unable to store options.\r\nChanges might not be remembered.";

    // The program's own path as the options store records it.
    static QString ProgramPath();

    // Stores the options; a store that fails is said, and the program goes on.
    static bool Store(TOptions &options, Registry &registry, Prompter &prompter,
                      const QString &programPath = ProgramPath());

    enum class Result
    {
        Kept,            // stored; the game directory is the same
        Reloaded,        // stored, and the model was emptied for the new game directory
        ReloadRefused,   // stored, but another operation runs: the model stays
    };
    // apply copies the dialog's values into the options. They are stored at
    // once; a game directory that changed (in letter case alone too) empties
    // the model, which then lists the new directory's packages.
    static Result Apply(TOptions &options, Registry &registry, ClassModel &model, Prompter &prompter,
                        const std::function<void(TOptions &)> &apply, const QString &programPath = ProgramPath());
};

} // namespace kelvarin
