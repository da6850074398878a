#include "tools/gui/ExporterForm.h"

#include "platform/gui/DialogButton.h"
#include "tools/PackageExporter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace kelvarin {

namespace {

QListWidget *MakeList(QWidget *parent, const char *name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

} // namespace

TExporterForm::TExporterForm(PackageExporter &exporter, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_exporter(exporter)
{
    setObjectName(QStringLiteral("ExporterForm"));
    setWindowTitle(QStringLiteral("Kelvarin Exporter"));
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(MinimumWidth + 60, MinimumHeight + 100);

    m_foundList = MakeList(this, "FoundList");
    m_exportList = MakeList(this, "ExportList");
    m_addAllButton = MakeDialogButton(this, "AddAllButton", QStringLiteral(">>"));
    m_addButton = MakeDialogButton(this, "AddButton", QStringLiteral("->"));
    m_removeButton = MakeDialogButton(this, "RemoveButton", QStringLiteral("<-"));
    m_removeAllButton = MakeDialogButton(this, "RemoveAllButton", QStringLiteral("<<"));
    m_goButton = MakeDialogButton(this, "GoButton", QStringLiteral("&Go"));
    m_closeButton = MakeDialogButton(this, "CloseButton", QStringLiteral("&Close"));
    m_goButton->setDefault(true);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);

    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *button : {m_addAllButton, m_addButton, m_removeButton, m_removeAllButton})
        moves->addWidget(button);
    moves->addStretch();

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Found packages:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Packages to export:"), this), 0, 2);
    grid->addWidget(m_foundList, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(m_exportList, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_goButton);
    buttons->addWidget(m_closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_statusBar);

    connect(m_addAllButton, &QPushButton::clicked, this, &TExporterForm::AddAllButtonClick);
    connect(m_addButton, &QPushButton::clicked, this, &TExporterForm::AddButtonClick);
    connect(m_removeButton, &QPushButton::clicked, this, &TExporterForm::RemoveButtonClick);
    connect(m_removeAllButton, &QPushButton::clicked, this, &TExporterForm::RemoveAllButtonClick);
    connect(m_goButton, &QPushButton::clicked, this, &TExporterForm::GoButtonClick);
    connect(m_closeButton, &QPushButton::clicked, this, &TExporterForm::CloseButtonClick);
    connect(m_foundList, &QListWidget::itemDoubleClicked, this, &TExporterForm::AddButtonClick);
    connect(m_exportList, &QListWidget::itemDoubleClicked, this, &TExporterForm::RemoveButtonClick);

    connect(&m_exporter, &PackageExporter::ListsChanged, this, &TExporterForm::ShowLists);
    m_exporter.SetStatusSink([this](const QString &text) { SetStatus(text); });
    m_exporter.SetBeep([] { QApplication::beep(); });
    m_exporter.SetBusyChangedHandler([this](bool busy) {
        if (busy)
            DisableExecute();
        else
            EnableExecute();
        emit BusyChanged(busy);
    });

    SetStatus(QStringLiteral("Idle"));
    ShowLists();
}

QString TExporterForm::StatusText() const
{
    return m_statusBar->currentMessage();
}

void TExporterForm::SetStatus(const QString &text)
{
    m_statusBar->showMessage(text);
}

QList<int> TExporterForm::SelectedRows(QListWidget *list)
{
    QList<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            rows.append(row);
    return rows;
}

void TExporterForm::ShowLists()
{
    const auto fill = [](QListWidget *widget, SortedList &list) {
        widget->clear();
        widget->addItems(list.Entries());
    };
    fill(m_foundList, m_exporter.FoundList());
    fill(m_exportList, m_exporter.ExportList());
}

void TExporterForm::AddAllButtonClick()
{
    m_exporter.AddAll();
}

void TExporterForm::AddButtonClick()
{
    m_exporter.Add(SelectedRows(m_foundList));
}

void TExporterForm::RemoveButtonClick()
{
    m_exporter.Remove(SelectedRows(m_exportList));
}

void TExporterForm::RemoveAllButtonClick()
{
    m_exporter.RemoveAll();
}

void TExporterForm::GoButtonClick()
{
    m_exporter.Go();
}

void TExporterForm::CloseButtonClick()
{
    if (m_exporter.IsBusy()) {
        m_exporter.Cancel();
        EnableExecute();
        return;
    }
    close();
}

void TExporterForm::DisableExecute()
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_foundList, m_exportList, m_removeAllButton, m_removeButton,
                                                       m_addButton, m_addAllButton, m_goButton})
        w->setEnabled(false);
    m_goButton->setText(QStringLiteral("Busy"));
    m_closeButton->setText(QStringLiteral("&Cancel"));
}

void TExporterForm::EnableExecute()
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_foundList, m_exportList, m_removeAllButton, m_removeButton,
                                                       m_addButton, m_addAllButton, m_goButton})
        w->setEnabled(true);
    m_goButton->setText(QStringLiteral("&Go"));
    m_closeButton->setText(QStringLiteral("&Close"));
}

void TExporterForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;   // restored from minimised: the lists stay
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    m_exporter.ScanPackages();
}

void TExporterForm::closeEvent(QCloseEvent *event)
{
    // A frame close while busy is a Cancel; the window then closes.
    m_exporter.Cancel();
    EnableExecute();
    m_exporter.RefreshModel();
    event->accept();
}

void TExporterForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        CloseButtonClick();   // the cancel button
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_goButton->isEnabled()) {
        GoButtonClick();      // the default button
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kelvarin
