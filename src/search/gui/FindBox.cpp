#include "search/gui/FindBox.h"

#include "platform/Prompter.h"
#include "platform/gui/DialogButton.h"
#include "search/ClassFinder.h"

#include <QApplication>
#include <QGuiApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kelvarin {

namespace {

constexpr int DefaultColumnWidth = 92;
constexpr int RowHeight = 18;

} // namespace

TFindBox::TFindBox(ClassFinder &finder, Prompter &prompter, QWidget *parent)
    : QDialog(parent),
      m_finder(finder),
      m_prompter(prompter),
      m_popupRunner([](QMenu *menu, const QPoint &at) { menu->popup(at); })
{
    setObjectName(QStringLiteral("FindBox"));
    setWindowTitle(QStringLiteral("Find classes..."));
    setModal(false);
    setMinimumSize(403, 174);
    resize(403, 330);

    auto *group = new QGroupBox(QStringLiteral(" Class specification: "), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *label1 = new QLabel(QStringLiteral("Name:"), group);
    label1->setObjectName(QStringLiteral("Label1"));
    m_nameEdit = new QLineEdit(group);
    m_nameEdit->setObjectName(QStringLiteral("NameEdit"));
    label1->setBuddy(m_nameEdit);
    auto *label2 = new QLabel(QStringLiteral("Containing:"), group);
    label2->setObjectName(QStringLiteral("Label2"));
    m_containEdit = new QLineEdit(group);
    m_containEdit->setObjectName(QStringLiteral("ContainEdit"));
    label2->setBuddy(m_containEdit);

    m_nodeSelector = new QGroupBox(QStringLiteral(" Search in: "), group);
    m_nodeSelector->setObjectName(QStringLiteral("NodeSelector"));
    m_choices = new QButtonGroup(this);
    auto *choicesLayout = new QVBoxLayout(m_nodeSelector);
    choicesLayout->setContentsMargins(6, 2, 6, 2);
    choicesLayout->setSpacing(0);
    for (int item = 0; item < 3; ++item) {
        auto *radio = new QRadioButton(m_nodeSelector);
        radio->setObjectName(QStringLiteral("NodeSelectorItem%1").arg(item));
        m_choices->addButton(radio, item);
        choicesLayout->addWidget(radio);
    }
    connect(m_choices, &QButtonGroup::idClicked, this, [this](int item) { m_finder.SelectSearchIn(item); });

    auto *groupLayout = new QGridLayout(group);
    groupLayout->addWidget(label1, 0, 0);
    groupLayout->addWidget(m_nameEdit, 0, 1);
    groupLayout->addWidget(label2, 1, 0);
    groupLayout->addWidget(m_containEdit, 1, 1);
    groupLayout->addWidget(m_nodeSelector, 2, 0, 1, 2);
    groupLayout->setColumnStretch(1, 1);

    m_findButton = MakeDialogButton(this, "FindButton", QStringLiteral("&Find"));
    m_findButton->setDefault(true);
    m_stopButton = MakeDialogButton(this, "StopButton", QStringLiteral("&Stop"));
    m_stopButton->setEnabled(false);
    m_resetButton = MakeDialogButton(this, "ResetButton", QStringLiteral("&Reset"));
    m_closeButton = MakeDialogButton(this, "CloseButton", QStringLiteral("&Close"));
    connect(m_findButton, &QPushButton::clicked, this, &TFindBox::FindButtonClick);
    connect(m_stopButton, &QPushButton::clicked, this, &TFindBox::StopButtonClick);
    connect(m_resetButton, &QPushButton::clicked, this, &TFindBox::ResetAll);
    connect(m_closeButton, &QPushButton::clicked, this, &TFindBox::CloseButtonClick);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_findButton, m_stopButton, m_resetButton, m_closeButton})
        buttons->addWidget(button);
    buttons->addStretch(1);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("ResultsGrid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Class:"), QStringLiteral("Package:"),
                                       QStringLiteral("Line:"), QStringLiteral("Context:")});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_grid->horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    // The header row stands for the grid's fixed row: its cells name no class.
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int column) { BrowseCell(-1, column); });
    // A column the user drags takes a new share of the grid's width.
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_followingWidth && m_grid->isVisible())
            RememberShares(m_grid->width());
    });

    m_gridPopup = new QMenu(this);
    m_gridPopup->setObjectName(QStringLiteral("GridPopupMenu"));
    m_browseItem = m_gridPopup->addAction(QStringLiteral("Browse"));
    m_browseItem->setObjectName(QStringLiteral("BrowsePopupItem"));
    m_gridPopup->setDefaultAction(m_browseItem);
    m_editItem = m_gridPopup->addAction(QStringLiteral("&Edit..."));
    m_editItem->setObjectName(QStringLiteral("EditPopupItem"));
    connect(m_browseItem, &QAction::triggered, this, &TFindBox::BrowsePopupItemClick);
    connect(m_editItem, &QAction::triggered, this, &TFindBox::EditPopupItemClick);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);

    auto *top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_statusBar);

    m_finder.SetStatusSink([this](const QString &text) { SetStatus(text); });
    m_finder.SetRowSink([this](const FindResult &result) { AddRow(result); });
    m_finder.SetSearchingHandler([this](bool searching) {
        m_stopButton->setEnabled(searching);
        // One search at a time: Find waits for the running one to end.
        m_findButton->setEnabled(!searching);
    });
    m_finder.SetChoicesChangedHandler([this] { ShowChoices(); });

    ResetAll();
}

QRadioButton *TFindBox::SearchInItem(int item) const
{
    return qobject_cast<QRadioButton *>(m_choices->button(item));
}

QString TFindBox::StatusText() const
{
    return m_statusBar->currentMessage();
}

void TFindBox::SetStatus(const QString &text)
{
    m_statusBar->showMessage(text);
}

void TFindBox::ShowChoices()
{
    const QStringList &items = m_finder.SearchInItems();
    for (int item = 0; item < 3 && item < items.size(); ++item)
        SearchInItem(item)->setText(items.at(item));
    if (QAbstractButton *selected = m_choices->button(m_finder.SearchInSelected()))
        selected->setChecked(true);
    m_nodeSelector->setEnabled(m_finder.SearchInEnabled());
}

void TFindBox::ShowFor(TreeNode *lookIn)
{
    m_finder.SetLookIn(lookIn);
    ShowChoices();
    show();
    raise();
    activateWindow();
}

// ---- Searching -----------------------------------------------------------

void TFindBox::FindButtonClick()
{
    if (m_finder.Searching())
        return;
    const QString name = m_nameEdit->text();
    const QString containing = m_containEdit->text();
    if (ClassFinder::LooksForNothing(name, containing)) {
        m_prompter.Plain(QLatin1String(ClassFinder::NothingMessage));
        if (isVisible())
            m_nameEdit->setFocus();
        return;
    }
    ClearResults();
    const ClassFinder::Outcome outcome = m_finder.SearchClasses(name, containing, m_finder.SearchInSelected() == 2);
    if (outcome == ClassFinder::Outcome::TooDeep)
        m_prompter.Error(QLatin1String(ClassFinder::RecursionMessage));
    else if (outcome == ClassFinder::Outcome::Refused)
        SetStatus(m_finder.BusyRefusal());
}

void TFindBox::StopButtonClick()
{
    m_finder.Stop();
}

void TFindBox::CloseButtonClick()
{
    m_finder.Stop();
    hide();
}

void TFindBox::closeEvent(QCloseEvent *event)
{
    m_finder.Stop();
    QDialog::closeEvent(event);
}

void TFindBox::Reset()
{
    m_findButton->setEnabled(!m_finder.Searching());
    m_finder.Stop();
    m_stopButton->setEnabled(false);
    if (isVisible())
        m_nameEdit->setFocus();
    QCoreApplication::processEvents();
}

void TFindBox::ResetAll()
{
    m_nameEdit->clear();
    m_containEdit->clear();
    m_finder.SelectSearchIn(0);
    ShowChoices();
    ClearResults();
    m_finder.ClearResults();
    Reset();
}

void TFindBox::ClearResults()
{
    m_grid->clearContents();
    m_grid->setRowCount(1);   // the empty row a new result is written into
}

void TFindBox::AddRow(const FindResult &result)
{
    const int row = m_grid->rowCount() - 1;
    const QString cells[ColumnCount] = {result.className, result.package, result.LineText(), result.context};
    for (int column = 0; column < ColumnCount; ++column)
        m_grid->setItem(row, column, new QTableWidgetItem(cells[column]));
    m_grid->setRowCount(row + 2);
}

// ---- The grid's commands -------------------------------------------------

int TFindBox::RowAt(const QPoint &viewportPos, int *column) const
{
    *column = m_grid->columnAt(viewportPos.x());
    return m_grid->rowAt(viewportPos.y());
}

void TFindBox::BrowseCell(int row, int column)
{
    if (column != 0 && column != 1)
        return;
    // The header, the empty last row and outside the rows name no node:
    // the tree's selection is cleared, as for a class removed since.
    const QTableWidgetItem *item = row >= 0 ? m_grid->item(row, column) : nullptr;
    const QString text = item ? item->text() : (row < 0 ? m_grid->horizontalHeaderItem(column)->text() : QString());
    if (m_browse)
        m_browse(column, m_finder.NodeForCell(column, text));
}

void TFindBox::EditRow(int row)
{
    const QTableWidgetItem *item = row >= 0 ? m_grid->item(row, 0) : nullptr;
    if (!item)
        return;
    TreeNode *node = m_finder.NodeForCell(0, item->text());
    if (node && m_edit)
        m_edit(node);
}

void TFindBox::ResultsGridMouseDown(const QPoint &pos)
{
    m_rightClick = pos;
    int column = 0;
    const int row = RowAt(pos, &column);
    const QTableWidgetItem *item = row >= 0 ? m_grid->item(row, 0) : nullptr;
    m_editItem->setText(QStringLiteral("Edit ") + (item ? item->text() : QString()));
    if (m_popupRunner)
        m_popupRunner(m_gridPopup, m_grid->viewport()->mapToGlobal(pos));
}

void TFindBox::BrowsePopupItemClick()
{
    int column = 0;
    const int row = RowAt(m_rightClick, &column);
    if (row < 0 || column < 0)
        return;   // outside every cell
    BrowseCell(row, column);
}

void TFindBox::EditPopupItemClick()
{
    int column = 0;
    EditRow(RowAt(m_rightClick, &column));
}

bool TFindBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
            int column = 0;
            const int row = RowAt(pos, &column);
            // Below the last row or right of the last column is no cell.
            if (row >= 0 && column >= 0)
                BrowseCell(row, column);
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            ResultsGridMouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
            return true;
        }
    } else if (watched == m_grid && event->type() == QEvent::Resize) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        FollowGridWidth(resize->oldSize().width(), resize->size().width());
    }
    return QDialog::eventFilter(watched, event);
}

void TFindBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_shownOnce = true;
    // Until the user sets them (now or in an earlier run), the columns
    // start at useful widths for the grid as it is shown.
    if (!m_sharesKnown && m_grid->width() > 0) {
        if (!m_columnsRestored) {
            const std::array<int, ColumnCount> widths = StartingColumnWidths(m_grid->viewport()->width());
            m_followingWidth = true;
            for (int column = 0; column < ColumnCount; ++column)
                m_grid->setColumnWidth(column, widths[column]);
            m_followingWidth = false;
        }
        RememberShares(m_grid->width());
    }
}

std::optional<TFindBox::Placement> TFindBox::CurrentPlacement() const
{
    if (!m_shownOnce)
        return std::nullopt;
    Placement placement;
    placement.geometry = geometry();
    for (int column = 0; column < ColumnCount; ++column)
        placement.columns[column] = m_grid->columnWidth(column);
    return placement;
}

void TFindBox::RestorePlacement(const Placement &placement)
{
    const QRect &place = placement.geometry;
    if (place.width() < minimumWidth() || place.height() < minimumHeight())
        return;
    bool onScreen = false;
    for (const QScreen *screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(place);
    if (!onScreen)
        return;
    setGeometry(place);
    m_followingWidth = true;
    for (int column = 0; column < ColumnCount; ++column)
        if (placement.columns[column] > 0)
            m_grid->setColumnWidth(column, placement.columns[column]);
    m_followingWidth = false;
    // The shares follow from the grid as it is shown in this geometry.
    m_sharesKnown = false;
    m_columnsRestored = true;
}

void TFindBox::RememberShares(int gridWidth)
{
    if (gridWidth <= 0)
        return;   // a grid without width has no shares to take
    for (int column = 0; column < ColumnCount; ++column)
        m_shares[column] = float(m_grid->columnWidth(column)) / float(gridWidth);
    m_sharesKnown = true;
}

void TFindBox::FollowGridWidth(int oldWidth, int newWidth)
{
    // Each column keeps its share of the grid's width as the user last set
    // it; the shares are first taken from the width the shown grid had.
    if (!m_grid->isVisible())
        return;
    if (!m_sharesKnown)
        RememberShares(oldWidth);
    if (!m_sharesKnown || newWidth <= 0)
        return;
    m_followingWidth = true;
    for (int column = 0; column < ColumnCount; ++column)
        m_grid->setColumnWidth(column, int(std::trunc(float(newWidth) * m_shares[column])));
    m_followingWidth = false;
}

} // namespace kelvarin
