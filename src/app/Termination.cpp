#include "app/Termination.h"

#include "platform/AppEventPump.h"
#include "platform/EventPump.h"

namespace kelvarin {

void MarkTerminating(EventPump &pump)
{
    if (auto *app = dynamic_cast<AppEventPump *>(&pump))
        app->SetTerminating();
    else if (auto *silent = dynamic_cast<NullEventPump *>(&pump))
        silent->SetTerminating(true);
}

} // namespace kelvarin
