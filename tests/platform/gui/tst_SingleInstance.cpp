#include "platform/gui/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <cstdlib>
#include <memory>

using namespace kelvarin;

namespace {

// Set in the environment of a child copy of this test: take the lock under
// this name and die without giving it back, like a crashed instance.
const char *const HoldAndDie = "KELVARIN_TEST_HOLD_AND_DIE";

QString UniqueName()
{
    return QStringLiteral("kelvarin-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void SecondInstanceIsRefusedAndFirstIsAsked()
    {
        const QString name = UniqueName();
        auto first = std::make_unique<SingleInstance>(name);
        QVERIFY(first->TryAcquire());
        QSignalSpy received(first.get(), &SingleInstance::RequestReceived);

        SingleInstance second(name);
        QVERIFY(!second.TryAcquire());
        QVERIFY(!second.IsHolder());
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1}));
        // Other requests arrive as they were sent.
        QVERIFY(SingleInstance::SendRequest(name, 2, 5));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{2, 5}));

        first.reset();   // the first instance ends: the next start runs
        SingleInstance next(name);
        QVERIFY(next.TryAcquire());
    }

    void CrashedInstanceDoesNotBlock()
    {
        const QString name = UniqueName();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(HoldAndDie), name);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 7);
        QVERIFY(QFileInfo::exists(QDir::temp().filePath(name + QStringLiteral(".lock"))));

        SingleInstance next(name);
        QVERIFY(next.TryAcquire());
        // The left-over socket was replaced: a later start still reaches us.
        QSignalSpy received(&next, &SingleInstance::RequestReceived);
        QVERIFY(SingleInstance::SendRequest(name, 1, 1));
        QVERIFY(received.wait());
    }

    void ParseRequest_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("l");
        QTest::newRow("blanks around") << QByteArray("  0   1 \r\n") << true << 0 << 1;
        QTest::newRow("one number") << QByteArray("1\n") << false << 0 << 0;
        QTest::newRow("three numbers") << QByteArray("1 1 1\n") << false << 0 << 0;
        QTest::newRow("words") << QByteArray("one one\n") << false << 0 << 0;
        QTest::newRow("empty") << QByteArray() << false << 0 << 0;
    }

    void ParseRequest()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, valid);
        QFETCH(int, w);
        QFETCH(int, l);
        const auto parsed = SingleInstance::ParseRequest(line);
        QCOMPARE(parsed, valid ? std::optional(std::pair(w, l)) : std::nullopt);
    }

    void OnlyOneOneBringsForward_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("l");
        QTest::addColumn<bool>("forward");
        QTest::newRow("1 1") << 1 << 1 << true;
        QTest::newRow("0 1") << 0 << 1 << false;
        QTest::newRow("1 0") << 1 << 0 << false;
        QTest::newRow("2 2") << 2 << 2 << false;
    }

    void OnlyOneOneBringsForward()
    {
        QFETCH(int, w);
        QFETCH(int, l);
        QFETCH(bool, forward);
        QCOMPARE(SingleInstance::IsBringForwardRequest(w, l), forward);
    }
};

int main(int argc, char **argv)
{
    const QString holdName = qEnvironmentVariable(HoldAndDie);
    if (!holdName.isEmpty()) {
        QCoreApplication app(argc, argv);
        SingleInstance instance(holdName);
        // Leave lock file and socket behind, as a crash would.
        std::_Exit(instance.TryAcquire() ? 7 : 8);
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SingleInstance.moc"
