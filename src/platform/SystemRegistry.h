#pragma once

#include "platform/Registry.h"

#include <memory>

namespace kelvarin {

// The registry of the system the program runs on: the Windows registry
// itself on Windows; elsewhere the ".reg" store that kelvarin and
// kelvarin-cli share (RegFileRegistry::DefaultPath()).
std::unique_ptr<Registry> OpenSystemRegistry();

} // namespace kelvarin
