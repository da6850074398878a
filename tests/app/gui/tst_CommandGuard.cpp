#include "app/CommandGuard.h"
#include "platform/Errors.h"
#include "support/ScriptedPrompter.h"

#include <QTest>

#include <new>
#include <stdexcept>

using namespace kelvarin;

namespace {

enum class Raise { Nothing, Kelvarin, Standard, OutOfMemory, Other };

} // namespace

Q_DECLARE_METATYPE(Raise)

class TestCommandGuard : public QObject
{
    Q_OBJECT

private slots:
    void ErrorsAreShownAndStopTheCommand_data()
    {
        QTest::addColumn<Raise>("raise");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no error") << Raise::Nothing << QStringList{};
        QTest::newRow("program error") << Raise::Kelvarin << QStringList{"Cannot open file C:\\UT\\x.uc"};
        QTest::newRow("standard error") << Raise::Standard << QStringList{"bad thing"};
        QTest::newRow("out of memory") << Raise::OutOfMemory << QStringList{"Out of memory."};
        QTest::newRow("anything else") << Raise::Other << QStringList{"Unknown error."};
    }

    void ErrorsAreShownAndStopTheCommand()
    {
        QFETCH(Raise, raise);
        QFETCH(QStringList, shown);
        test::ScriptedPrompter prompter;
        bool finished = false;
        const bool ok = RunGuarded(prompter, [&] {
            switch (raise) {
            case Raise::Nothing:
                break;
            case Raise::Kelvarin:
                throw KelvarinError(QStringLiteral("Cannot open file C:\\UT\\x.uc"));
            case Raise::Standard:
                throw std::runtime_error("bad thing");
            case Raise::OutOfMemory:
                throw std::bad_alloc();
            case Raise::Other:
                throw 42;
            }
            finished = true;
        });
        QCOMPARE(ok, raise == Raise::Nothing);
        QCOMPARE(finished, raise == Raise::Nothing);
        QCOMPARE(prompter.Texts(), shown);
        for (const auto &box : prompter.shown) {
            QCOMPARE(box.title, QStringLiteral("Kelvarin"));
            QCOMPARE(box.icon, MessageIcon::Error);
            QCOMPARE(box.buttons, MessageButtons::Ok);
        }
    }

    void FailingErrorDisplayDoesNotEscape()
    {
        class Broken : public Prompter
        {
        public:
            MessageAnswer Ask(const QString &, const QString &, MessageIcon, MessageButtons,
                              MessageAnswer) override
            {
                throw std::runtime_error("no display");
            }
        } broken;
        QVERIFY(!RunGuarded(broken, [] { throw KelvarinError(QStringLiteral("x")); }));
    }
};

QTEST_APPLESS_MAIN(TestCommandGuard)
#include "tst_CommandGuard.moc"
