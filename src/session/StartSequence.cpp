#include "session/StartSequence.h"

#include "model/ClassModel.h"
#include "model/ElapsedTime.h"
#include "persist/Options.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "session/CommandGuard.h"

#include <QTime>

namespace kelvarin {

StartSequence::StartSequence(TOptions &options, Registry &registry, ClassModel &model, Prompter &prompter,
                             Keyboard &keyboard)
    : m_options(options),
      m_registry(registry),
      m_model(model),
      m_prompter(prompter),
      m_keyboard(keyboard)
{
}

bool StartSequence::ReadsSettings() const
{
    return !m_keyboard.CtrlHeld();
}

void StartSequence::LoadSettings()
{
    if (!ReadsSettings())
        return;
    m_firstStart = !m_registry.StoreExists();
    if (!LoadOptions(m_options, m_registry) && !m_firstStart)
        m_prompter.Error(QLatin1String(LoadFailedMessage));
}

bool StartSequence::AsksForOptions() const
{
    return m_firstStart || m_options.BaseDir.isEmpty();
}

QString StartSequence::FirstShow(const std::function<void()> &loadDefaultState)
{
    const QTime start = QTime::currentTime();
    {
        ClassModel::BusyScope busy(m_model, QStringLiteral("loading the default state"));
        RunGuarded(m_prompter, [this] { m_model.ResetModel(); });
        if (ReadsSettings() && loadDefaultState && !m_model.Pump().Terminating())
            RunGuarded(m_prompter, loadDefaultState);
        RunGuarded(m_prompter, [this] {
            m_model.SortTrees();
            m_model.MarkLastCompiledPackage();
        });
    }
    return ClassesLoadedReport(QStringLiteral("Startup time: "), start, QTime::currentTime(), m_model.ClassCount());
}

} // namespace kelvarin
