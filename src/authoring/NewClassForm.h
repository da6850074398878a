#pragma once

#include <QString>

namespace kelvarin {

// What the new-class dialog answers: its three texts exactly as typed.
struct NewClassEntry
{
    QString name;
    QString parent;
    QString package;
};

// The new-class dialog without its window: the three texts, which of them
// were fixed by the command that opened it, how each field looks, and the
// checks of the Create button. The window mirrors this state in its controls.
class NewClassForm
{
public:
    static constexpr const char *ProposedPackage = "MyPackage";
    static constexpr const char *ProposedClass = "MyClass";
    static constexpr const char *ProposedParent = "MyParent";

    static constexpr const char *PackageRefusal =
        "You are not really going to call your package MyPackage, are you?";
    static constexpr const char *ClassRefusal =
        "You are not really going to call your class MyClass, are you?";
    static constexpr const char *ParentRefusal =
        "You are not really going to create a child of MyParent, are you?";
    static constexpr const char *BadPackageName =
        "The package name must be letters, digits and underscores, and must not start with a digit.";
    static constexpr const char *BadClassName =
        "The class name must be letters, digits and underscores, and must not start with a digit.";
    static constexpr const char *BadParentName =
        "The parent must be a class name, or a package name, a dot and a class name.";

    // Parent fixed; parent shown fixed, name "My" + parent, the package
    // "MyPackage" unless SetPackage ran first; the package field editable.
    void SetParentClass(const QString &parent);
    // Package fixed; package shown fixed, name "MyClass", the parent
    // "MyParent" (editable) unless SetParentClass ran first.
    void SetPackage(const QString &package);
    // Whichever button closed the dialog: both flags cleared.
    void FormClose();

    bool PackageFixed() const { return m_packageFixed; }
    bool ParentFixed() const { return m_parentFixed; }
    // The fixed look: read-only, button-face background, out of the tab order.
    bool ParentLooksFixed() const { return m_parentLooksFixed; }
    bool PackageLooksFixed() const { return m_packageLooksFixed; }

    const NewClassEntry &Entry() const { return m_entry; }
    // What the user typed.
    void SetName(const QString &name) { m_entry.name = name; }
    void SetParent(const QString &parent) { m_entry.parent = parent; }
    void SetPackageText(const QString &package) { m_entry.package = package; }

    // The checks of the Create button, in order: the three proposals (exact,
    // case-sensitive), then the package, class and parent names, since each
    // becomes part of a path or of the class declaration. The message of
    // the first check that fails, or empty when the class may be created.
    static QString Refusal(const NewClassEntry &entry);

    // ASCII letters, digits and "_", not starting with a digit.
    static bool IsIdentifier(const QString &text);
    // An identifier, or two joined by one dot ("Engine.Keypoint").
    static bool IsParentName(const QString &text);

private:
    NewClassEntry m_entry;
    bool m_packageFixed = false;
    bool m_parentFixed = false;
    bool m_parentLooksFixed = true;    // as designed
    bool m_packageLooksFixed = false;
};

} // namespace kelvarin
