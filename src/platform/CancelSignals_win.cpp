#include "platform/CancelSignals.h"

#include <csignal>

namespace kelvarin {

struct CancelSignals::Previous
{
    void (*interrupt)(int) = nullptr;
    void (*terminate)(int) = nullptr;
};

CancelSignals::CancelSignals(Handler handler) : m_previous(std::make_unique<Previous>())
{
    m_previous->interrupt = std::signal(SIGINT, handler);
    m_previous->terminate = std::signal(SIGTERM, handler);
}

CancelSignals::~CancelSignals()
{
    std::signal(SIGINT, m_previous->interrupt);
    std::signal(SIGTERM, m_previous->terminate);
}

} // namespace kelvarin
