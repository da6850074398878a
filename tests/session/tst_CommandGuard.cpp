#include "session/CommandGuard.h"
#include "platform/Errors.h"
#include "support/ScriptedPrompter.h"

#include <QTest>

#include <new>
#include <stdexcept>

using namespace kelvarin;

class TestCommandGuard : public QObject
{
    Q_OBJECT

private slots:
    void ErrorsAreShownAndStopTheCommand_data()
    {
        QTest::addColumn<int>("raise");   // 0: nothing; otherwise the error the row names
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no error") << 0 << QStringList{};
        QTest::newRow("program error") << 1 << QStringList{"Cannot open file C:\\UT\\x.uc"};
        QTest::newRow("standard error") << 2 << QStringList{"bad thing"};
        QTest::newRow("out of memory") << 3 << QStringList{"Out of memory."};
        QTest::newRow("anything else") << 4 << QStringList{"Unknown error."};
    }

    void ErrorsAreShownAndStopTheCommand()
    {
        QFETCH(int, raise);
        QFETCH(QStringList, shown);
        test::ScriptedPrompter prompter;
        bool finished = false;
        const bool ok = RunGuarded(prompter, [&] {
            if (raise == 1)
                throw KelvarinError(QStringLiteral("Cannot open file C:\\UT\\x.uc"));
            if (raise == 2)
                throw std::runtime_error("bad thing");
            if (raise == 3)
                throw std::bad_alloc();
            if (raise == 4)
                throw 42;
            finished = true;
        });
        QCOMPARE(ok, raise == 0);
        QCOMPARE(finished, raise == 0);
        QCOMPARE(prompter.Texts(), shown);
        for (const auto &box : prompter.shown) {
            QCOMPARE(box.title, QStringLiteral("Kelvarin"));
            QCOMPARE(box.icon, MessageIcon::Error);
            QCOMPARE(box.buttons, MessageButtons::Ok);
        }
    }

    void FailingErrorDisplayDoesNotEscape()
    {
        struct Broken : Prompter
        {
            MessageAnswer Ask(const QString &, const QString &, MessageIcon, MessageButtons, MessageAnswer) override
            {
                throw std::runtime_error("no display");
            }
        } broken;
        QVERIFY(!RunGuarded(broken, [] { throw KelvarinError(QStringLiteral("x")); }));
    }
};

KELVARIN_TEST_APPLESS_MAIN(TestCommandGuard)
#include "tst_CommandGuard.moc"
