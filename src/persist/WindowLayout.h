#pragma once

#include <optional>

namespace kelvarin {

class Registry;

// The main window's layout as stored under "\Software\Vexa\Kelvarin".
// Loading sets only the values that are stored; the window applies what is set.
struct WindowLayout
{
    std::optional<int> windowTop, windowLeft, windowWidth, windowHeight;
    std::optional<int> windowState;     // 0 normal, 1 minimised, 2 maximised
    std::optional<int> browserWidth;    // class tree pane
    std::optional<int> packageWidth;    // package check list
    std::optional<bool> toolbarVis, browserVis, packageBrowserVis, packageListVis;
    std::optional<int> packageTag;      // remembered package tree pane width
    // The class finder where the user left it and its result columns'
    // widths; stored after the values above, and only once it was shown.
    std::optional<int> findBoxLeft, findBoxTop, findBoxWidth, findBoxHeight;
    std::optional<int> findBoxColumns[4];

    static constexpr const char *Key = "\\Software\\Vexa\\Kelvarin";

    // Reads the stored values in the loader's order into this layout. A key
    // that cannot be opened leaves every value unset. A value of the wrong
    // type raises "Invalid data type for '%s'"; values read before it stay set.
    void LoadWindowLayout(Registry &registry);
    // Writes every value in the writer's order (an unset one as designed),
    // then the finder's values that are set. Raises
    // "Failed to set data for '%s'" at the first value that cannot be stored.
    void SaveWindowLayout(Registry &registry) const;
};

} // namespace kelvarin
