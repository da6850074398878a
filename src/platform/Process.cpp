#include "platform/Process.h"

namespace kelvarin {

int Process::NiceValue(int priorityClass)
{
    switch (priorityClass) {
    case 64:
        return 19;
    case 128:
        return -5;
    case 256:
        return -10;
    default:
        return 0;
    }
}

bool Process::IsPriorityClass(int priorityClass)
{
    return priorityClass == 32 || priorityClass == 64 || priorityClass == 128 || priorityClass == 256;
}

ProcessStarter Process::Starter()
{
    return [](const ProcessStart &start, int *errorCode) -> std::shared_ptr<RunningProcess> {
        return Start(start, errorCode);
    };
}

} // namespace kelvarin
