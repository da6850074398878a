#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;
class QStatusBar;

namespace kelvarin {

class PackageExporter;

// The exporter's window: the found and queued packages, the four moves,
// Go and Close/Cancel, the status line. The rules are PackageExporter's.
class TExporterForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MinimumWidth = 390;
    static constexpr int MinimumHeight = 200;

    explicit TExporterForm(PackageExporter &exporter, QWidget *parent = nullptr);

    void AddAllButtonClick();
    void AddButtonClick();
    void RemoveButtonClick();
    void RemoveAllButtonClick();
    void GoButtonClick();
    // Busy: Cancel. Idle: closes the window (which refreshes the model).
    void CloseButtonClick();
    void DisableExecute();
    void EnableExecute();

    QListWidget *FoundList() const { return m_foundList; }
    QListWidget *ExportList() const { return m_exportList; }
    QPushButton *AddAllButton() const { return m_addAllButton; }
    QPushButton *AddButton() const { return m_addButton; }
    QPushButton *RemoveButton() const { return m_removeButton; }
    QPushButton *RemoveAllButton() const { return m_removeAllButton; }
    QPushButton *GoButton() const { return m_goButton; }
    QPushButton *CloseButton() const { return m_closeButton; }
    QString StatusText() const;

signals:
    // The export started (true) or ended (false); the main window disables
    // the compile commands meanwhile.
    void BusyChanged(bool busy);

protected:
    // Each show lists the System directory's packages afresh.
    void showEvent(QShowEvent *event) override;
    // Closing while busy cancels first; every close refreshes the model.
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowLists();
    void SetStatus(const QString &text);
    static QList<int> SelectedRows(QListWidget *list);

    PackageExporter &m_exporter;
    QListWidget *m_foundList = nullptr;
    QListWidget *m_exportList = nullptr;
    QPushButton *m_addAllButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_removeAllButton = nullptr;
    QPushButton *m_goButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QStatusBar *m_statusBar = nullptr;
};

} // namespace kelvarin
