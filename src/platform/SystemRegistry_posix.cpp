#include "platform/SystemRegistry.h"

#include "platform/RegFileRegistry.h"

namespace kelvarin {

std::unique_ptr<Registry> OpenSystemRegistry()
{
    return std::make_unique<RegFileRegistry>(RegFileRegistry::DefaultPath());
}

} // namespace kelvarin
