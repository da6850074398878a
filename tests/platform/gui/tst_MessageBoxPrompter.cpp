#include "platform/gui/MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

Q_DECLARE_METATYPE(MessageIcon)
Q_DECLARE_METATYPE(MessageButtons)
Q_DECLARE_METATYPE(MessageAnswer)

class TestMessageBoxPrompter : public QObject
{
    Q_OBJECT

private slots:
    void Ask_data()
    {
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<MessageButtons>("buttons");
        QTest::addColumn<MessageAnswer>("defaultAnswer");
        QTest::addColumn<int>("boxIcon");
        QTest::addColumn<QStringList>("buttonTexts");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("press");   // index of the button pressed; -1: Enter
        QTest::addColumn<MessageAnswer>("answer");

        const QStringList ok{QStringLiteral("OK")};
        const QStringList yesNo{QStringLiteral("Yes"), QStringLiteral("No")};
        QTest::newRow("error box")
            << MessageIcon::Error << MessageButtons::Ok << MessageAnswer::Ok
            << int(QMessageBox::Critical) << ok << int(QMessageBox::Ok) << 0 << MessageAnswer::Ok;
        QTest::newRow("plain box")
            << MessageIcon::None << MessageButtons::Ok << MessageAnswer::Ok
            << int(QMessageBox::NoIcon) << ok << int(QMessageBox::Ok) << -1 << MessageAnswer::Ok;
        QTest::newRow("confirmation, Enter takes Yes")
            << MessageIcon::Warning << MessageButtons::YesNo << MessageAnswer::Yes
            << int(QMessageBox::Warning) << yesNo << int(QMessageBox::Yes) << -1 << MessageAnswer::Yes;
        QTest::newRow("question defaulting to No, Enter takes No")
            << MessageIcon::Question << MessageButtons::YesNo << MessageAnswer::No
            << int(QMessageBox::Question) << yesNo << int(QMessageBox::No) << -1 << MessageAnswer::No;
        QTest::newRow("question, Yes pressed")
            << MessageIcon::Question << MessageButtons::YesNo << MessageAnswer::No
            << int(QMessageBox::Question) << yesNo << int(QMessageBox::No) << 0 << MessageAnswer::Yes;
        QTest::newRow("information")
            << MessageIcon::Information << MessageButtons::Ok << MessageAnswer::Ok
            << int(QMessageBox::Information) << ok << int(QMessageBox::Ok) << 0 << MessageAnswer::Ok;
    }

    void Ask()
    {
        QFETCH(MessageIcon, icon);
        QFETCH(MessageButtons, buttons);
        QFETCH(MessageAnswer, defaultAnswer);
        QFETCH(int, boxIcon);
        QFETCH(QStringList, buttonTexts);
        QFETCH(int, defaultButton);
        QFETCH(int, press);
        QFETCH(MessageAnswer, answer);

        QString seenTitle, seenText;
        int seenIcon = -1;
        int seenDefault = -1;
        QStringList seenButtons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = int(box->icon());
            seenDefault = int(box->standardButton(box->defaultButton()));
            for (QAbstractButton *b : box->buttons())
                seenButtons << box->button(box->standardButton(b))->text().remove(QLatin1Char('&'));
            if (press < 0)
                QTest::keyClick(box, Qt::Key_Return);
            else
                box->buttons().at(press)->click();
        });
        MessageBoxPrompter prompter;
        const MessageAnswer got = prompter.Ask(QStringLiteral("Cannot open file\r\nC:\\x"),
                                               QStringLiteral("Kelvarin"), icon, buttons, defaultAnswer);
        QCOMPARE(seenTitle, QStringLiteral("Kelvarin"));
        QCOMPARE(seenText, QStringLiteral("Cannot open file\r\nC:\\x"));
        QCOMPARE(seenIcon, boxIcon);
        QCOMPARE(seenButtons, buttonTexts);
        QCOMPARE(seenDefault, defaultButton);
        QCOMPARE(got, answer);
    }
};

QTEST_MAIN(TestMessageBoxPrompter)
#include "tst_MessageBoxPrompter.moc"
