#include "platform/gui/MessageBoxPrompter.h"

#include <QtTest>
#include <QtWidgets>

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
        QTest::addColumn<QString>("box");   // icon: buttons, default button
        QTest::addColumn<int>("press");     // index of the button pressed; -1: Enter
        QTest::addColumn<MessageAnswer>("answer");

        QTest::newRow("error box") << MessageIcon::Error << MessageButtons::Ok << MessageAnswer::Ok
                                   << "Critical: OK, default OK" << 0 << MessageAnswer::Ok;
        QTest::newRow("plain box") << MessageIcon::None << MessageButtons::Ok << MessageAnswer::Ok
                                   << "NoIcon: OK, default OK" << -1 << MessageAnswer::Ok;
        QTest::newRow("information") << MessageIcon::Information << MessageButtons::Ok << MessageAnswer::Ok
                                     << "Information: OK, default OK" << 0 << MessageAnswer::Ok;
        QTest::newRow("confirmation, Enter takes Yes")
            << MessageIcon::Warning << MessageButtons::YesNo << MessageAnswer::Yes
            << "Warning: Yes No, default Yes" << -1 << MessageAnswer::Yes;
        QTest::newRow("question defaulting to No, Enter takes No")
            << MessageIcon::Question << MessageButtons::YesNo << MessageAnswer::No
            << "Question: Yes No, default No" << -1 << MessageAnswer::No;
        QTest::newRow("question, Yes pressed") << MessageIcon::Question << MessageButtons::YesNo << MessageAnswer::No
                                               << "Question: Yes No, default No" << 0 << MessageAnswer::Yes;
    }

    void Ask()
    {
        QFETCH(MessageIcon, icon);
        QFETCH(MessageButtons, buttons);
        QFETCH(MessageAnswer, defaultAnswer);
        QFETCH(QString, box);
        QFETCH(int, press);
        QFETCH(MessageAnswer, answer);

        QString seen;
        QTimer::singleShot(0, [&] {
            auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            QStringList texts;
            for (QAbstractButton *b : shown->buttons())
                texts << b->text().remove(QLatin1Char('&'));
            seen = shown->windowTitle() + QLatin1Char('|') + shown->text() + QLatin1Char('|')
                + QLatin1String(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(shown->icon()))
                + QStringLiteral(": ") + texts.join(QLatin1Char(' ')) + QStringLiteral(", default ")
                + shown->defaultButton()->text().remove(QLatin1Char('&'));
            if (press < 0)
                QTest::keyClick(shown, Qt::Key_Return);
            else
                shown->buttons().at(press)->click();
        });
        const MessageAnswer got = MessageBoxPrompter().Ask(QStringLiteral("Cannot open file\r\nC:\\x"),
                                                           QStringLiteral("Kelvarin"), icon, buttons, defaultAnswer);
        QCOMPARE(seen, QStringLiteral("Kelvarin|Cannot open file\r\nC:\\x|") + box);
        QCOMPARE(got, answer);
    }
};

KELVARIN_TEST_MAIN(TestMessageBoxPrompter)
#include "tst_MessageBoxPrompter.moc"
