#include "platform/CancelSignals.h"

#include <csignal>

namespace kelvarin {

struct CancelSignals::Previous
{
    struct sigaction interrupt = {};
    struct sigaction terminate = {};
};

CancelSignals::CancelSignals(Handler handler) : m_previous(std::make_unique<Previous>())
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_previous->interrupt);
    sigaction(SIGTERM, &action, &m_previous->terminate);
}

CancelSignals::~CancelSignals()
{
    sigaction(SIGINT, &m_previous->interrupt, nullptr);
    sigaction(SIGTERM, &m_previous->terminate, nullptr);
}

} // namespace kelvarin
