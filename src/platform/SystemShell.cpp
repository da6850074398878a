#include "platform/SystemShell.h"
#include "platform/SystemShell_p.h"

namespace kelvarin {

SystemShell::SystemShell(AssociationLookup association, QObject *parent)
    : QObject(parent), d(std::make_unique<Impl>())
{
    d->association = std::move(association);
}

SystemShell::~SystemShell()
{
    d->post->DropAll();
}

} // namespace kelvarin
