#pragma once

#include <QString>

#include <functional>

namespace kelvarin {

class ClassModel;
class Keyboard;
class Prompter;
class Registry;
class TOptions;

// The start of the program around its windows: the options are read before
// any window shows, the model is filled at the main window's first showing,
// and the options dialog greets a first start. Ctrl held at start skips
// every stored setting (a way out of settings that stop the program).
class StartSequence
{
public:
    static constexpr const char *LoadFailedMessage = "Unable to load user settings.\r\nUsing defaults.";

    StartSequence(TOptions &options, Registry &registry, ClassModel &model, Prompter &prompter,
                  Keyboard &keyboard);

    // True when the settings are to be read (Ctrl is not held).
    bool ReadsSettings() const;
    // Reads the options unless Ctrl is held. Without any store this is the
    // first start: nothing is said; a store that cannot be read is said.
    void LoadSettings();
    // True when the options dialog opens before any window: the game
    // directory is empty, or this is the first start.
    bool AsksForOptions() const;

    // The first showing of the main window: the model is emptied and the
    // default state loaded (unless Ctrl is held), both trees sorted, the
    // last compiled package marked; each step's errors are shown and the
    // next runs. Answers the status text "Startup time: ...".
    QString FirstShow(const std::function<void()> &loadDefaultState);

private:
    TOptions &m_options;
    Registry &m_registry;
    ClassModel &m_model;
    Prompter &m_prompter;
    Keyboard &m_keyboard;
    bool m_firstStart = false;
};

} // namespace kelvarin
