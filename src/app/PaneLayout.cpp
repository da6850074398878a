#include "app/PaneLayout.h"

#include <algorithm>
#include <climits>

namespace kelvarin {

void PaneLayout::SetBrowserWidth(long long width)
{
    // The class tree never gets narrower than its minimum; widths read from
    // a damaged store must not overflow either.
    browserWidth = int(std::clamp<long long>(width, MinBrowserWidth, INT_MAX / 2));
}

void PaneLayout::EnsureOneVisible()
{
    if (!browserVisible && !packagesVisible && !listVisible)
        browserVisible = true;
}

bool PaneLayout::ToggleClassesTree()
{
    if (!CanToggleClassesTree())
        return false;
    browserVisible = !browserVisible;
    return true;
}

bool PaneLayout::TogglePackagesTree()
{
    if (!CanTogglePackagesTree())
        return false;
    if (packagesVisible) {
        rememberedPackagesWidth = packagesWidth;
        SetBrowserWidth((long long)browserWidth + rememberedPackagesWidth);
    } else {
        SetBrowserWidth((long long)browserWidth - rememberedPackagesWidth);
    }
    packagesVisible = !packagesVisible;
    return true;
}

bool PaneLayout::TogglePackagesList()
{
    if (!CanTogglePackagesList())
        return false;
    listVisible = !listVisible;
    if (!packagesVisible) {
        if (listVisible)
            SetBrowserWidth((long long)browserWidth - listWidth);
        else
            SetBrowserWidth((long long)browserWidth + listWidth);
    }
    return true;
}

} // namespace kelvarin
