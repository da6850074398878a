#pragma once

namespace kelvarin {

// The three panes of the main window (class tree, package tree pane, package
// list) as the view toggles see them: visibilities and widths. A pane may be
// hidden only while one of the other two stays visible, and the class tree
// absorbs the width that a hidden neighbour frees.
struct PaneLayout
{
    static constexpr int MinBrowserWidth = 50;
    static constexpr int DesignedBrowserWidth = 193;
    static constexpr int DesignedListWidth = 97;

    bool browserVisible = true;
    bool packagesVisible = true;
    bool listVisible = true;
    int browserWidth = DesignedBrowserWidth;
    int packagesWidth = 0;      // the package tree pane (Panel1)
    int listWidth = DesignedListWidth;
    // The width the package tree pane had when it was last hidden.
    int rememberedPackagesWidth = 0;

    // Each toggle flips its pane's visibility and answers true, or answers
    // false and changes nothing when the toggle may not run now.
    bool ToggleClassesTree();
    bool TogglePackagesTree();
    bool TogglePackagesList();

    // A stored layout may hide all three panes, which no toggle can undo:
    // the class tree is shown again then.
    void EnsureOneVisible();

    bool CanToggleClassesTree() const { return packagesVisible || listVisible; }
    bool CanTogglePackagesTree() const { return browserVisible || listVisible; }
    bool CanTogglePackagesList() const { return browserVisible || packagesVisible; }

private:
    void SetBrowserWidth(long long width);
};

} // namespace kelvarin
