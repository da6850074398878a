#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace kelvarin {

// The about window: version, the hint to save a default state, and a few
// words about the program. Not modal; "&Close" (or Esc) hides it.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QString Text() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *m_memo = nullptr;
    bool m_centred = false;
};

} // namespace kelvarin
