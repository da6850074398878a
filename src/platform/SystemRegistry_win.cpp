#include "platform/SystemRegistry.h"

#include "platform/WindowsRegistry.h"

namespace kelvarin {

std::unique_ptr<Registry> OpenSystemRegistry()
{
    return std::make_unique<WindowsRegistry>();
}

} // namespace kelvarin
