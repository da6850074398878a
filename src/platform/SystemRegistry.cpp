#include "platform/SystemRegistry.h"

#ifdef Q_OS_WIN
#include "platform/WindowsRegistry.h"
#else
#include "platform/RegFileRegistry.h"
#endif

namespace kelvarin {

std::unique_ptr<Registry> OpenSystemRegistry()
{
#ifdef Q_OS_WIN
    return std::make_unique<WindowsRegistry>();
#else
    return std::make_unique<RegFileRegistry>(RegFileRegistry::DefaultPath());
#endif
}

} // namespace kelvarin
