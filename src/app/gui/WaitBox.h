#pragma once

#include <QWidget>

class QLabel;

namespace kelvarin {

// The splash window shown while the default state loads: borderless,
// 250 by 250, hourglass cursor, a raised bevel around a picture, and the
// progress of the model operations in ProcessLabel.
class TWaitBox : public QWidget
{
    Q_OBJECT

public:
    explicit TWaitBox(QWidget *parent = nullptr);

    // ProcessLabel := "Processing: " + text, then the pending events are
    // processed so the text shows at once.
    void ShowProcess(const QString &text);
    QString ProcessText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_label1 = nullptr;
    QLabel *m_processLabel = nullptr;
};

} // namespace kelvarin
