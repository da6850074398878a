#pragma once

#include <QString>

namespace kelvarin {

class ClassModel;

// A browser state: the ticked packages (".Kelvar"), the class tree
// (".UTree"), the package tree (".UPack") and the bindings (".UBind"), four
// text files sharing one base name.
class StateFile
{
public:
    static constexpr const char *DefaultState = ".\\Default\\Default.Kelvar";
    static constexpr const char *DefaultDir = ".\\Default";
    static constexpr const char *NotTogetherMessage =
        "The files of state %1 do not belong together; it was probably saved when the program was stopped. "
        "Save the state again.";

    explicit StateFile(ClassModel &model);

    // The path up to the first ".Kelvar" in it (any case), or empty.
    static QString BaseName(const QString &fileName);

    // False when nothing was written for want of ".Kelvar" in the name. Raises
    // "Cannot create file %s" for the first file of the set that cannot be
    // written; the set on disk is then the one before the save.
    bool SaveState(const QString &fileName);
    // False when nothing was read (no ".Kelvar", file cannot be opened) or the
    // application began terminating. Raises "Cannot open file %s" for a
    // missing companion (the model is then untouched), NotTogetherMessage
    // for companions that hold packages the state file does not tick (the
    // model is untouched), and the tree reader's error for an invalid tree;
    // the model then stays as far as the loader got.
    bool LoadState(const QString &fileName);

    // "&Save as default state": creates ".\Default" and saves there.
    bool SaveDefaultState();

private:
    ClassModel &m_model;
};

} // namespace kelvarin
