#include "authoring/gui/NewINTWizard.h"

#include "authoring/IntWizard.h"
#include "platform/Errors.h"
#include "platform/Prompter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kelvarin {

namespace {

struct FieldLayout
{
    IntWizard::Field field;
    const char *objectName;
    const char *label;
};

// A page body: a group box with its title and one labelled edit per field.
QWidget *MakeDataPage(const char *pageName, const QString &title, std::initializer_list<FieldLayout> fields,
                      std::array<QLineEdit *, 9> &edits)
{
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(pageName));
    auto *group = new QGroupBox(title, page);
    auto *form = new QFormLayout(group);
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    for (const FieldLayout &entry : fields) {
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QLatin1String(entry.objectName));
        auto *label = new QLabel(QString::fromLatin1(entry.label), group);
        label->setBuddy(edit);
        form->addRow(label, edit);
        edits[size_t(entry.field)] = edit;
    }
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

} // namespace

TNewINTWizard::TNewINTWizard(IntWizard &wizard, Prompter &prompter, QWidget *parent)
    : QDialog(parent),
      m_wizard(wizard),
      m_prompter(prompter)
{
    setObjectName(QStringLiteral("NewINTWizard"));
    setWindowTitle(m_wizard.Caption());
    setModal(false);
    resize(653, 352);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));

    // InitialTab (0)
    auto *initial = new QWidget;
    initial->setObjectName(QStringLiteral("InitialTab"));
    m_introMemo = new QPlainTextEdit(initial);
    m_introMemo->setObjectName(QStringLiteral("IntroMemo"));
    m_introMemo->setReadOnly(true);
    m_introMemo->setPlainText(QStringLiteral(
        "Welcome to the INT wizard. Here you can easily edit or create your INT files. It is still in the beta-phase..."));
    m_introMemo->setBackgroundRole(QPalette::Button);
    m_introMemo->viewport()->setBackgroundRole(QPalette::Button);
    // The memo never takes the focus; it stays with the Next button.
    m_introMemo->setFocusPolicy(Qt::NoFocus);
    (new QVBoxLayout(initial))->addWidget(m_introMemo);
    m_pages->addWidget(initial);

    // AddWhatTab (1)
    auto *addWhat = new QWidget;
    addWhat->setObjectName(QStringLiteral("AddWhatTab"));
    auto *addWhatGroup = new QGroupBox(QStringLiteral(" What do you want to add? "), addWhat);
    addWhatGroup->setObjectName(QStringLiteral("AddWhatRadioGroup"));
    auto *addWhatLayout = new QVBoxLayout(addWhatGroup);
    m_addWhat = new QButtonGroup(this);
    const QStringList items = IntWizard::ChoiceItems();
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items.at(i), addWhatGroup);
        m_addWhat->addButton(radio, i);
        addWhatLayout->addWidget(radio);
    }
    (new QVBoxLayout(addWhat))->addWidget(addWhatGroup);
    m_pages->addWidget(addWhat);

    // AddMutatorTab (2)
    m_pages->addWidget(MakeDataPage("AddMutatorTab", QStringLiteral(" Please enter the mutator info here: "),
                                    {{IntWizard::MutatorName, "MutatorNameEdit", "Mutator name:"},
                                     {IntWizard::MutatorClass, "MutatorClassEdit", "Class:"},
                                     {IntWizard::MutatorHelp, "MutatorHelpEdit", "Text on help line:"}},
                                    m_edits));

    // SummaryTab (3)
    auto *summary = new QWidget;
    summary->setObjectName(QStringLiteral("SummaryTab"));
    auto *summaryGroup = new QGroupBox(QStringLiteral(" These lines will be created/added: "), summary);
    auto *summaryLayout = new QVBoxLayout(summaryGroup);
    m_summaryList = new QListWidget(summaryGroup);
    m_summaryList->setObjectName(QStringLiteral("SummaryList"));
    summaryLayout->addWidget(m_summaryList);
    summaryLayout->addWidget(new QLabel(
        QStringLiteral("Clear the check box before one of the lines to prevent it from being added."), summaryGroup));
    m_addSomethingElse = new QCheckBox(QStringLiteral("&Add something else to the INT file..."), summaryGroup);
    m_addSomethingElse->setObjectName(QStringLiteral("AddSomethingElseCheck"));
    summaryLayout->addWidget(m_addSomethingElse);
    (new QVBoxLayout(summary))->addWidget(summaryGroup);
    m_pages->addWidget(summary);

    // CreateTab (4)
    auto *create = new QWidget;
    create->setObjectName(QStringLiteral("CreateTab"));
    auto *createGroup = new QGroupBox(QStringLiteral(" Final step! "), create);
    auto *createLayout = new QVBoxLayout(createGroup);
    auto *createNote = new QLabel(
        QStringLiteral("Press Finish to create your INT file. If you want to remove any lines, just press Back."),
        createGroup);
    createNote->setWordWrap(true);
    createLayout->addWidget(createNote);
    m_createList = new QListWidget(createGroup);
    m_createList->setObjectName(QStringLiteral("CreateSummaryList"));
    m_createList->setSelectionMode(QAbstractItemView::NoSelection);
    createLayout->addWidget(m_createList);
    (new QVBoxLayout(create))->addWidget(createGroup);
    m_pages->addWidget(create);

    // AddModMenuTab (5) .. AddManualLineTab (8)
    m_pages->addWidget(MakeDataPage("AddModMenuTab", QStringLiteral(" Enter the Mod menu item information here: "),
                                    {{IntWizard::ModMenuClass, "ModMenuClassEdit",
                                      "Menu class (expands UMenuModMenuItem):"}},
                                    m_edits));
    m_pages->addWidget(MakeDataPage("AddGametypeTab", QStringLiteral(" Enter GameType information here: "),
                                    {{IntWizard::GameTypeDescription, "GameTypeDescriptionEdit",
                                      "Description in the GameType pulldown list:"},
                                     {IntWizard::GameTypeClass, "GameTypeClassEdit", "The GameType class:"}},
                                    m_edits));
    m_pages->addWidget(MakeDataPage("AddMapListTab", QStringLiteral(" Enter the map list information here: "),
                                    {{IntWizard::MapListDescription, "MapListDescriptionEdit",
                                      "Description of the map list:"},
                                     {IntWizard::MapListClass, "MapListClassEdit", "Map list class (expands MapList):"}},
                                    m_edits));
    m_pages->addWidget(MakeDataPage("AddManualLineTab", QStringLiteral(" Manually add a line: "),
                                    {{IntWizard::ManualLine, "ManualLineEdit", "Enter the line here:"}}, m_edits));

    m_backButton = new QPushButton(QStringLiteral("<- Back"), this);
    m_backButton->setObjectName(QStringLiteral("BackButton"));
    m_backButton->setAutoDefault(false);
    m_backButton->setEnabled(false);
    m_nextButton = new QPushButton(QStringLiteral("&Next ->"), this);
    m_nextButton->setObjectName(QStringLiteral("NextButton"));
    m_nextButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_cancelButton->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_nextButton);
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_nextButton, &QPushButton::clicked, this, &TNewINTWizard::NextButtonClick);
    connect(m_backButton, &QPushButton::clicked, this, &TNewINTWizard::BackButtonClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &TNewINTWizard::CancelButtonClick);
    connect(m_addWhat, &QButtonGroup::idClicked, this,
            [this](int id) { m_wizard.Select(IntWizard::Choice(id)); });
    for (size_t field = 0; field < m_edits.size(); ++field) {
        connect(m_edits[field], &QLineEdit::textEdited, this, [this, field](const QString &text) {
            m_wizard.SetFieldText(IntWizard::Field(field), text);
        });
    }
    connect(m_summaryList, &QListWidget::itemChanged, this, &TNewINTWizard::SummaryItemChanged);
    connect(m_addSomethingElse, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_syncing)
            m_wizard.SetAddSomethingElse(on);
    });
}

void TNewINTWizard::SetOpenInEditorHandler(std::function<void(const QString &)> handler)
{
    m_wizard.SetOpenInEditorHandler(std::move(handler));
}

void TNewINTWizard::ShowFor(const QString &package)
{
    bool shown = false;
    try {
        shown = m_wizard.Show(package);
    } catch (const KelvarinError &error) {
        m_prompter.Error(error.Message());
    }
    if (!shown) {
        hide();
        return;
    }
    Sync();
    if (!isVisible()) {
        if (QScreen *where = screen())
            move(where->availableGeometry().center() - rect().center());
        show();
    }
    raise();
    activateWindow();
    m_nextButton->setFocus();
}

void TNewINTWizard::NextButtonClick()
{
    try {
        m_wizard.Next();
    } catch (const KelvarinError &error) {
        m_prompter.Error(error.Message());
    } catch (const std::exception &error) {
        m_prompter.Error(QString::fromLocal8Bit(error.what()));
    }
    if (!m_wizard.IsOpen()) {
        hide();
        return;
    }
    Sync();
}

void TNewINTWizard::BackButtonClick()
{
    m_wizard.Back();
    Sync();
}

void TNewINTWizard::CancelButtonClick()
{
    close();
}

void TNewINTWizard::reject()
{
    m_wizard.Close();
    QDialog::reject();
}

void TNewINTWizard::closeEvent(QCloseEvent *event)
{
    m_wizard.Close();
    QDialog::closeEvent(event);
}

void TNewINTWizard::SummaryItemChanged(QListWidgetItem *item)
{
    if (m_syncing)
        return;
    m_wizard.SetChecked(m_summaryList->row(item), item->checkState() == Qt::Checked);
}

void TNewINTWizard::Sync()
{
    m_syncing = true;
    setWindowTitle(m_wizard.Caption());
    const int page = m_wizard.ActivePage();
    m_pages->setCurrentIndex(page);
    m_backButton->setEnabled(m_wizard.BackEnabled());
    m_nextButton->setText(m_wizard.NextCaption());

    const int choice = m_wizard.Selected();
    if (QAbstractButton *radio = m_addWhat->button(choice)) {
        radio->setChecked(true);
    } else {
        m_addWhat->setExclusive(false);
        for (QAbstractButton *button : m_addWhat->buttons())
            button->setChecked(false);
        m_addWhat->setExclusive(true);
    }
    for (size_t field = 0; field < m_edits.size(); ++field) {
        if (m_edits[field]->text() != m_wizard.FieldText(IntWizard::Field(field)))
            m_edits[field]->setText(m_wizard.FieldText(IntWizard::Field(field)));
    }

    m_summaryList->clear();
    for (const IntWizard::SummaryLine &line : m_wizard.Summary()) {
        auto *item = new QListWidgetItem(line.text, m_summaryList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
    }
    m_addSomethingElse->setChecked(m_wizard.AddSomethingElse());
    m_createList->clear();
    m_createList->addItems(m_wizard.FinalList());
    m_syncing = false;

    if (page == IntWizard::InitialTab && isVisible())
        m_nextButton->setFocus();
}

} // namespace kelvarin
