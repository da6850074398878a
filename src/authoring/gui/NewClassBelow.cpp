#include "authoring/gui/NewClassBelow.h"

#include "platform/Prompter.h"
#include "platform/gui/DialogOwner.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvarin {

namespace {

QLineEdit *MakeEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &caption, QLineEdit *buddy)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

} // namespace

TNewClassBelow::TNewClassBelow(Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompter(prompter),
      m_runner([](QDialog &dialog) { return dialog.exec(); })
{
    setObjectName(QStringLiteral("NewClassBelow"));
    setWindowTitle(QStringLiteral("Create a new class..."));
    setModal(true);
    resize(293, 113);

    m_nameEdit = MakeEdit(this, "NameEdit");
    m_parentEdit = MakeEdit(this, "ParentEdit");
    m_packageEdit = MakeEdit(this, "PackageEdit");
    auto *fields = new QGridLayout;
    fields->addWidget(MakeLabel(this, "Label1", QStringLiteral("Class name:"), m_nameEdit), 0, 0);
    fields->addWidget(m_nameEdit, 0, 1);
    fields->addWidget(MakeLabel(this, "Label2", QStringLiteral("Parent:"), m_parentEdit), 1, 0);
    fields->addWidget(m_parentEdit, 1, 1);
    fields->addWidget(MakeLabel(this, "Label3", QStringLiteral("Create in package:"), m_packageEdit), 2, 0);
    fields->addWidget(m_packageEdit, 2, 1);

    m_createButton = new QPushButton(QStringLiteral("&Create"), this);
    m_createButton->setObjectName(QStringLiteral("CreateButton"));
    m_createButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("C&ancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_cancelButton->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_createButton);
    buttons->addWidget(m_cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_nameEdit, &QLineEdit::textChanged, this, [this](const QString &text) { m_form.SetName(text); });
    connect(m_parentEdit, &QLineEdit::textChanged, this, [this](const QString &text) { m_form.SetParent(text); });
    connect(m_packageEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_form.SetPackageText(text); });
    connect(m_createButton, &QPushButton::clicked, this, &TNewClassBelow::CreateButtonClick);
    // Esc reaches reject() through QDialog itself.
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    ShowForm();
}

void TNewClassBelow::SetPackage(const QString &package)
{
    m_form.SetPackage(package);
    ShowForm();
}

void TNewClassBelow::SetParentClass(const QString &parent)
{
    m_form.SetParentClass(parent);
    ShowForm();
}

bool TNewClassBelow::Execute()
{
    InFrontScope inFront(*this, parentWidget());
    m_nameEdit->setFocus();
    const int result = m_runner(*this);
    // A runner that never closed the dialog still ends this showing.
    m_form.FormClose();
    return result == QDialog::Accepted;
}

NewClassEntry TNewClassBelow::Entry() const
{
    return NewClassEntry{m_nameEdit->text(), m_parentEdit->text(), m_packageEdit->text()};
}

void TNewClassBelow::CreateButtonClick()
{
    const QString refusal = NewClassForm::Refusal(Entry());
    if (!refusal.isEmpty()) {
        m_prompter.Plain(refusal);
        return;
    }
    accept();
}

void TNewClassBelow::done(int result)
{
    m_form.FormClose();
    QDialog::done(result);
}

void TNewClassBelow::ShowForm()
{
    const NewClassEntry &entry = m_form.Entry();
    m_nameEdit->setText(entry.name);
    m_parentEdit->setText(entry.parent);
    m_packageEdit->setText(entry.package);
    SetLook(m_parentEdit, m_form.ParentLooksFixed());
    SetLook(m_packageEdit, m_form.PackageLooksFixed());
}

void TNewClassBelow::SetLook(QLineEdit *edit, bool fixed)
{
    edit->setReadOnly(fixed);
    edit->setFocusPolicy(fixed ? Qt::NoFocus : Qt::StrongFocus);
    // The dialog's own palette gives the window background back to an
    // editable field.
    QPalette palette = edit->parentWidget() ? edit->parentWidget()->palette() : edit->palette();
    if (fixed)
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    edit->setPalette(palette);
}

} // namespace kelvarin
