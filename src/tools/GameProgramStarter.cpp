#include "tools/GameProgramStarter.h"

#include "platform/GamePrograms.h"
#include "platform/LaunchCodes.h"
#include "platform/Process.h"
#include "platform/WindowsCommandLine.h"

namespace kelvarin {

ProgramStarter GameProgramStarter()
{
    return [](const ProgramCommand &command, int *errorCode) -> std::shared_ptr<RunningProcess> {
        int ignored = 0;
        int &code = errorCode ? *errorCode : ignored;
        // The plan splits one parameter text by the Windows rules; joining
        // by the same rules quotes exactly what must stay one argument.
        GameLaunch plan = GamePrograms::Plan(command.program, WindowsCommandLine::Join(command.arguments),
                                             command.workingDirectory, command.shown);
        if (plan.how == GameLaunch::How::Failed) {
            code = plan.errorCode;
        } else {
            if (std::unique_ptr<Process> process = Process::Start(plan.start, &code))
                return process;
        }
        // A failure must never read as success (codes above 32 show nothing).
        if (LaunchCode::Succeeded(code))
            code = 0;
        return nullptr;
    };
}

} // namespace kelvarin
