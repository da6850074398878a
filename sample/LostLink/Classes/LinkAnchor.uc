//=============================================================================
// LinkAnchor: marks where a link ends; its parent is named with its package.
//=============================================================================
class LinkAnchor extends Engine.Keypoint;

var() name AnchorTag;
