#pragma once

#include "platform/TextFile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kelvarin {

class ClassModel;
class NewClassDialog;
class TreeNode;

// Creating a class from the template and the per-package comment template,
// without a window: the pop-up's two commands, the file itself and the load
// that shows it in both trees. Every path part it writes is a name checked
// to stay below the base directory.
class NewClassCommands
{
public:
    static constexpr const char *CreditLine = "// Created with Kelvarin";

    explicit NewClassCommands(ClassModel &model);

    // The dialog the new-class command shows. Unset: that command does nothing.
    void SetDialog(NewClassDialog *dialog) { m_dialog = dialog; }
    // Opens a file (a path built from the base directory) in the user's editor.
    void SetOpenInEditor(std::function<void(const QString &specPath)> openInEditor)
    {
        m_openInEditor = std::move(openInEditor);
    }

    // ---- The pop-up ------------------------------------------------------
    // On a class-tree node below the root: a class below that class. On a
    // package-tree node: a class in its package (the node's own text for a
    // package node, its package node's text below that). Shows the dialog
    // and creates the class when it closes through Create. Refused while
    // another model operation runs (told on the status bar).
    void CreateClassPopupItemClick(TreeNode *popupNode);

    // On a package-tree node: creates the package's empty Comment.txt when
    // nothing exists at that path, then opens it in the editor. An existing
    // file is never touched.
    void AddeditcustomcommentClick(TreeNode *rightClickedNode);

    // ---- Scripts ---------------------------------------------------------
    // The dialog's checks on the three texts, each failure shown as a plain
    // message, then CreateClassFile. True when the class was created.
    bool NewClass(const QString &package, const QString &name, const QString &parent);

    // ---- The file --------------------------------------------------------
    // Writes base directory\package\Classes\name.uc from the template
    // (refusing an existing file or a name that would leave the base
    // directory), lists the package directories again, ticks the package
    // without running the list's tick handler and loads it with merge, so
    // the class shows in both trees. True when the file was written.
    bool CreateClassFile(const QString &name, const QString &parent, const QString &package);

    // The ten-line (or longer) text of a new class file.
    QStringList ClassFileLines(const QString &name, const QString &parent, const QString &package);

    // Adds the custom comment lines: those of the package's Comment.txt,
    // each read whole, trimmed and with its placeholders put in, or the
    // three default lines when there is no readable template.
    void AppendCustomComment(QStringList &lines, const QString &package, const QString &name);

    // Replaces the first occurrence of pattern (exact case) unless a
    // backslash stands before it; later occurrences are never looked at.
    static QString ReplacePlaceholder(const QString &line, const QString &pattern,
                                      const QString &replacement);

    // The template's lines as the file gives them (decoded, split into
    // whole lines), and the encoding it came in; nullopt when there is no
    // readable text file (missing, a directory, or bytes holding NULs).
    static std::optional<QStringList> ReadTemplate(const QString &specPath, TextEncoding *encoding);

private:
    QString PackageDir(const QString &package) const;
    bool RefuseWhileBusy();

    ClassModel &m_model;
    NewClassDialog *m_dialog = nullptr;
    std::function<void(const QString &)> m_openInEditor;
    // The encoding of the comment template last read by AppendCustomComment.
    TextEncoding m_templateEncoding = TextEncoding::Latin1;
};

} // namespace kelvarin
