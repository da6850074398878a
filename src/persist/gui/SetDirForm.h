#pragma once

#include "persist/gui/OptionsEditor.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kelvarin {

class Pickers;

// The options dialog. Whatever its fields hold on OK becomes the options;
// the one thing it checks is the game directory: a directory without
// System\UnrealTournament.ini is said so in the dialog, and a second OK with
// the same directory keeps it. It also owns the conversion between the
// priority slider's position and the priority class stored in UCCPriority.
class TSetDirForm : public QDialog, public OptionsEditor
{
    Q_OBJECT

public:
    static constexpr int DefaultPriority = 32;

    explicit TSetDirForm(Pickers &pickers, QWidget *parent = nullptr);

    void SetOptions(const TOptions &options);
    SetDirValues GetOptions() const;
    // Fills the dialog, shows it modally and answers the values on OK.
    std::optional<SetDirValues> Edit(const TOptions &options) override;

    // A value below 32 is a slider position (held within 0..3); 32, 64, 128
    // and 256 are the priority classes; any other value of 32 or more counts
    // as normal.
    void SetPriority(qint32 value);
    qint32 GetPriority() const;
    static int PositionForPriority(qint32 value);
    static qint32 PriorityForPosition(int position);

    // A program path split the way the program picker wants it: the drive
    // and directory with their trailing separator, and the file name with
    // its extension. Backslashes, slashes and a drive colon all separate.
    struct PathParts
    {
        QString folder;
        QString file;
    };
    static PathParts SplitProgramPath(const QString &path);

    void BrowseButtonClick();
    void UCBrowseButtonClick();
    // OK: closes with OK, unless the directory has to be pointed out first.
    void OKButtonClick();

    static constexpr const char *EditorHint =
        "The program that opens class files. \"%1\" stands for the file and \"%2\" for the line to show "
        "(a compile log error leads there); without \"%1\" the file goes last. gedit, kate, vim, code "
        "and other known editors get the line without \"%2\".";
    // The warning under the directory field; empty while none is shown.
    QString DirWarning() const;

private:
    Pickers &m_pickers;
    QLineEdit *m_dirEdit = nullptr;
    QPushButton *m_browseButton = nullptr;
    QLineEdit *m_commandlineEdit = nullptr;
    QLineEdit *m_editCommandEdit = nullptr;
    QPushButton *m_ucBrowseButton = nullptr;
    QCheckBox *m_showCompileCheck = nullptr;
    QCheckBox *m_showExportCheck = nullptr;
    QCheckBox *m_testrunCheck = nullptr;
    QCheckBox *m_compiledCheck = nullptr;
    QCheckBox *m_nativeExportCheck = nullptr;
    QSlider *m_priorityBar = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QLabel *m_dirWarningLabel = nullptr;
    // The directory text the warning was shown for.
    QString m_warnedDir;
};

} // namespace kelvarin
