#pragma once

#include <QIcon>

namespace kelvarin {

// The images of tree nodes by image index: 0 class in the class tree, 1 class
// in the package tree, 2 root, 3 package, 4 ".int" file, 5 last compiled
// package, 6 ".ini" file. Any other index has no image. Each call paints
// anew; callers keep the icons they show often.
class NodeIcons
{
public:
    static constexpr int Count = 7;
    static QIcon Icon(int imageIndex);
    // A class read from a compiled package, for a class node's image (0 or
    // 1); no image for any other index.
    static QIcon CompiledClassIcon(int imageIndex);
};

} // namespace kelvarin
