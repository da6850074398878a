#include "persist/gui/SetDirForm.h"

#include "model/EditPackagesFile.h"
#include "model/Options.h"
#include "platform/gui/DialogOwner.h"
#include "platform/gui/Pickers.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvarin {

namespace {

constexpr int MinPosition = 0;
constexpr int MaxPosition = 3;

QGroupBox *Group(QWidget *parent, const char *name, const QString &title)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// The designed window is small; keep the frames tight so every control fits.
template <typename Layout>
Layout *Tight(Layout *layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(2);
    return layout;
}

QLineEdit *LineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton *Button(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox *Check(QWidget *parent, const char *name, const QString &caption)
{
    auto *check = new QCheckBox(caption, parent);
    check->setObjectName(QLatin1String(name));
    return check;
}

} // namespace

TSetDirForm::TSetDirForm(Pickers &pickers, QWidget *parent)
    : QDialog(parent), m_pickers(pickers)
{
    setObjectName(QStringLiteral("SetDirForm"));
    setWindowTitle(QStringLiteral("Kelvarin options:"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(4);

    auto *groupBox1 = Group(this, "GroupBox1", QStringLiteral(" Please enter the Unreal Tournament directory: "));
    m_dirEdit = LineEdit(groupBox1, "DirEdit");
    m_browseButton = Button(groupBox1, "BrowseButton", QStringLiteral("&Browse"));
    m_dirWarningLabel = new QLabel(groupBox1);
    m_dirWarningLabel->setObjectName(QStringLiteral("DirWarningLabel"));
    m_dirWarningLabel->setWordWrap(true);
    m_dirWarningLabel->hide();
    auto *column1 = Tight(new QVBoxLayout(groupBox1));
    auto *row1 = new QHBoxLayout;
    row1->setSpacing(2);
    row1->addWidget(m_dirEdit, 1);
    row1->addWidget(m_browseButton);
    column1->addLayout(row1);
    column1->addWidget(m_dirWarningLabel);
    layout->addWidget(groupBox1);
    // Any change to the directory makes the next OK check it again.
    connect(m_dirEdit, &QLineEdit::textChanged, this, [this] {
        m_warnedDir.clear();
        m_dirWarningLabel->hide();
    });

    auto *groupBox2 = Group(this, "GroupBox2", QStringLiteral(" Enter the commandline for the test runs: "));
    m_commandlineEdit = LineEdit(groupBox2, "CommandlineEdit");
    auto *row2 = Tight(new QHBoxLayout(groupBox2));
    row2->addWidget(m_commandlineEdit, 1);
    layout->addWidget(groupBox2);

    auto *groupBox5 = Group(this, "GroupBox5", QStringLiteral(" Enter the program to edit Unreal Class files with: "));
    m_editCommandEdit = LineEdit(groupBox5, "UScriptEditCommandEdit");
    m_editCommandEdit->setToolTip(QLatin1String(EditorHint));
    m_ucBrowseButton = Button(groupBox5, "UCBrowseButton", QStringLiteral("&Browse"));
    auto *row5 = Tight(new QHBoxLayout(groupBox5));
    row5->addWidget(m_editCommandEdit, 1);
    row5->addWidget(m_ucBrowseButton);
    layout->addWidget(groupBox5);

    auto *groupBox3 = Group(this, "GroupBox3", QStringLiteral(" Miscellanious options: "));
    m_showCompileCheck = Check(groupBox3, "ShowUCCCompileCheck", QStringLiteral("Show UCC when compiling scripts"));
    m_showExportCheck = Check(groupBox3, "ShowUCCExportCheck", QStringLiteral("Show UCC when exporting packages"));
    m_testrunCheck = Check(groupBox3, "TestrunCheckBox", QStringLiteral("Test run after a successful compile"));
    m_compiledCheck = Check(groupBox3, "ReadCompiledCheck",
                            QStringLiteral("Read packages without sources from their compiled .u file"));
    m_nativeExportCheck = Check(groupBox3, "NativeExportCheck",
                                QStringLiteral("Export packages without UCC (Kelvarin's own exporter)"));
    auto *column3 = Tight(new QVBoxLayout(groupBox3));
    column3->addWidget(m_showCompileCheck);
    column3->addWidget(m_showExportCheck);
    column3->addWidget(m_testrunCheck);
    column3->addWidget(m_compiledCheck);
    column3->addWidget(m_nativeExportCheck);
    layout->addWidget(groupBox3);

    auto *groupBox4 = Group(this, "GroupBox4", QStringLiteral(" UCC priority: "));
    auto *label1 = new QLabel(QStringLiteral("Priority when compiling/exporting:"), groupBox4);
    label1->setObjectName(QStringLiteral("Label1"));
    m_priorityBar = new QSlider(Qt::Horizontal, groupBox4);
    m_priorityBar->setObjectName(QStringLiteral("PriorityBar"));
    m_priorityBar->setRange(MinPosition, MaxPosition);
    m_priorityBar->setSingleStep(1);
    m_priorityBar->setPageStep(1);
    m_priorityBar->setTickInterval(1);
    m_priorityBar->setTickPosition(QSlider::TicksBelow);
    auto *row4 = Tight(new QHBoxLayout(groupBox4));
    row4->addWidget(label1);
    row4->addWidget(m_priorityBar, 1);
    layout->addWidget(groupBox4);

    layout->addStretch(1);
    m_okButton = Button(this, "OKButton", QStringLiteral("&Ok"));
    m_okButton->setDefault(true);
    m_okButton->setAutoDefault(true);
    m_cancelButton = Button(this, "CancelButton", QStringLiteral("&Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);

    // The designed tab order: directory and its button, command line, the
    // switches, OK, Cancel, the slider, the editor and its button.
    QWidget::setTabOrder(m_dirEdit, m_browseButton);
    QWidget::setTabOrder(m_browseButton, m_commandlineEdit);
    QWidget::setTabOrder(m_commandlineEdit, m_showCompileCheck);
    QWidget::setTabOrder(m_showCompileCheck, m_showExportCheck);
    QWidget::setTabOrder(m_showExportCheck, m_testrunCheck);
    QWidget::setTabOrder(m_testrunCheck, m_compiledCheck);
    QWidget::setTabOrder(m_compiledCheck, m_nativeExportCheck);
    QWidget::setTabOrder(m_nativeExportCheck, m_okButton);
    QWidget::setTabOrder(m_okButton, m_cancelButton);
    QWidget::setTabOrder(m_cancelButton, m_priorityBar);
    QWidget::setTabOrder(m_priorityBar, m_editCommandEdit);
    QWidget::setTabOrder(m_editCommandEdit, m_ucBrowseButton);

    connect(m_browseButton, &QPushButton::clicked, this, &TSetDirForm::BrowseButtonClick);
    connect(m_ucBrowseButton, &QPushButton::clicked, this, &TSetDirForm::UCBrowseButtonClick);
    connect(m_okButton, &QPushButton::clicked, this, &TSetDirForm::OKButtonClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumSize(385, 344);
    resize(385, 400);
}

void TSetDirForm::SetOptions(const TOptions &options)
{
    m_dirEdit->setText(options.BaseDir);
    m_warnedDir.clear();
    m_dirWarningLabel->hide();
    m_commandlineEdit->setText(options.CommandLine);
    m_showCompileCheck->setChecked(options.bUCCVisibleCompile);
    m_showExportCheck->setChecked(options.bUCCVisibleExport);
    m_testrunCheck->setChecked(options.bTestrunAfterCompile);
    m_compiledCheck->setChecked(options.bReadCompiledPackages);
    m_nativeExportCheck->setChecked(options.bNativeExport);
    SetPriority(options.UCCPriority);
    m_editCommandEdit->setText(options.UScriptEditCommand);
}

SetDirValues TSetDirForm::GetOptions() const
{
    SetDirValues values;
    values.BaseDir = m_dirEdit->text();
    values.CommandLine = m_commandlineEdit->text();
    values.bUCCVisibleCompile = m_showCompileCheck->isChecked();
    values.bUCCVisibleExport = m_showExportCheck->isChecked();
    values.bTestrunAfterCompile = m_testrunCheck->isChecked();
    values.bReadCompiledPackages = m_compiledCheck->isChecked();
    values.bNativeExport = m_nativeExportCheck->isChecked();
    values.UCCPriority = GetPriority();
    values.UScriptEditCommand = m_editCommandEdit->text();
    return values;
}

std::optional<SetDirValues> TSetDirForm::Edit(const TOptions &options)
{
    SetOptions(options);
    InFrontScope inFront(*this, parentWidget());
    m_dirEdit->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return GetOptions();
}

void TSetDirForm::OKButtonClick()
{
    const QString dir = m_dirEdit->text();
    if (dir != m_warnedDir && !EditPackagesFile::HasGameConfiguration(dir)) {
        m_warnedDir = dir;
        m_dirWarningLabel->setText(QStringLiteral(
            "There is no System\\UnrealTournament.ini in this directory. Press Ok again to keep it."));
        m_dirWarningLabel->show();
        // Room for the warning: the designed height has none to spare.
        if (QLayout *dialogLayout = layout()) {
            dialogLayout->activate();
            resize(width(), std::max(height(), dialogLayout->totalSizeHint().height()));
        }
        m_dirEdit->setFocus();
        return;
    }
    accept();
}

QString TSetDirForm::DirWarning() const
{
    return m_dirWarningLabel->isHidden() ? QString() : m_dirWarningLabel->text();
}

int TSetDirForm::PositionForPriority(qint32 value)
{
    if (value < 32)
        return std::clamp(int(value), MinPosition, MaxPosition);
    switch (value) {
    case 64:
        return 0;
    case 128:
        return 2;
    case 256:
        return 3;
    default:
        return 1;
    }
}

qint32 TSetDirForm::PriorityForPosition(int position)
{
    switch (position) {
    case 0:
        return 64;
    case 1:
        return 32;
    case 2:
        return 128;
    case 3:
        return 256;
    default:
        return DefaultPriority;
    }
}

void TSetDirForm::SetPriority(qint32 value)
{
    m_priorityBar->setValue(PositionForPriority(value));
}

qint32 TSetDirForm::GetPriority() const
{
    return PriorityForPosition(m_priorityBar->value());
}

TSetDirForm::PathParts TSetDirForm::SplitProgramPath(const QString &path)
{
    qsizetype cut = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')) {
            cut = i;
            break;
        }
    }
    return PathParts{path.left(cut + 1), path.mid(cut + 1)};
}

void TSetDirForm::BrowseButtonClick()
{
    if (const auto dir = m_pickers.PickDirectory(this, QStringLiteral("Select Directory"),
                                                 m_dirEdit->text()))
        m_dirEdit->setText(*dir);
}

void TSetDirForm::UCBrowseButtonClick()
{
    const PathParts parts = SplitProgramPath(m_editCommandEdit->text());
    FilePickRequest request;
    request.title = QStringLiteral("Select an executable");
    request.filter = QStringLiteral("Executable (*.exe)|*.exe|MS-DOS Executable (*.exe, *.com, *.bat)|*.exe;*.com;*.bat|All files (*.*)|*.*");
    request.defaultExtension = QStringLiteral(".exe");
    request.proposedFile = parts.file;
    request.startFolder = parts.folder;
    if (const auto chosen = m_pickers.PickExecutable(this, request))
        m_editCommandEdit->setText(*chosen);
}

} // namespace kelvarin
