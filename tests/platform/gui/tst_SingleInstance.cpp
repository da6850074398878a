#include "platform/gui/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
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

QString UniqueName() { return QStringLiteral("kelvarin-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12); }

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
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1, QString()}));
        // Other requests arrive as they were sent.
        QVERIFY(SingleInstance::SendRequest(name, 2, 5));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{2, 5, QString()}));

        first.reset();   // the first instance ends: the next start runs
        SingleInstance next(name);
        QVERIFY(next.TryAcquire());
    }

    void SecondInstanceHandsItsFileOver_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("sent");   // false: too long, it only brings forward
        QTest::newRow("blanks, percent and non-ASCII") << "/home/mod/My 100% Café/Gadget.uc" << true;
        QTest::newRow("line break in the name") << "/tmp/odd\nname.uc" << true;
        QTest::newRow("long path") << QStringLiteral("/") + QString(4000, QLatin1Char('d')) + QStringLiteral("/X.uc")
                                   << true;
        QTest::newRow("too long") << QStringLiteral("/") + QString(SingleInstance::MaxRequestBytes, 'x') << false;
    }

    void SecondInstanceHandsItsFileOver()
    {
        QFETCH(QString, file);
        QFETCH(bool, sent);
        const QString name = UniqueName();
        SingleInstance first(name);
        QVERIFY(first.TryAcquire());
        QSignalSpy received(&first, &SingleInstance::RequestReceived);

        SingleInstance second(name);
        QVERIFY(!second.TryAcquire(file));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1, sent ? file : QString()}));
    }

    void OlderStyleAndForeignLines()
    {
        const QString name = UniqueName();
        SingleInstance first(name);
        QVERIFY(first.TryAcquire());
        QSignalSpy received(&first, &SingleInstance::RequestReceived);

        // What an earlier version sends, then a line no version sends, then a
        // file request, all on one connection: the bad line is passed over.
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(5000));
        socket.write("1 1\n1 1 open relative/X.uc\n1 1 open /a/Y.uc\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        while (received.size() < 2)
            QVERIFY(received.wait());
        QCOMPARE(received.at(0), (QVariantList{1, 1, QString()}));
        QCOMPARE(received.at(1), (QVariantList{1, 1, QStringLiteral("/a/Y.uc")}));
        socket.disconnectFromServer();
    }

    void OverlongLineIsCutOff()
    {
        const QString name = UniqueName();
        SingleInstance first(name);
        QVERIFY(first.TryAcquire());
        QSignalSpy received(&first, &SingleInstance::RequestReceived);

        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(5000));
        socket.write(QByteArray(SingleInstance::MaxRequestBytes + 10, '1'));
        socket.write("\n1 1\n");
        // The instance drops the connection rather than buffer without end.
        QSignalSpy gone(&socket, &QLocalSocket::disconnected);
        QVERIFY(gone.wait(30000));
        QCOMPARE(received.size(), 0);
        // And still listens to the next start.
        QVERIFY(SingleInstance::SendRequest(name, 1, 1, QStringLiteral("/a/B.Kelvar")));
        QVERIFY(received.wait());
        QCOMPARE(received.takeFirst(), (QVariantList{1, 1, QStringLiteral("/a/B.Kelvar")}));
    }

    void FormatRequest_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("no file: as earlier versions") << "" << QByteArray("1 1\n");
        QTest::newRow("file") << "/a b/X.uc" << QByteArray("1 1 open /a%20b/X.uc\n");
        QTest::newRow("too long to send") << QStringLiteral("/") + QString(SingleInstance::MaxRequestBytes, 'x')
                                          << QByteArray();
    }

    void FormatRequest()
    {
        QFETCH(QString, file);
        QTEST(SingleInstance::FormatRequest(1, 1, file), "line");
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
        QVERIFY(SingleInstance::SendRequest(name, 1, 1, QStringLiteral("/a/X.uc")));
        QVERIFY(received.wait());
    }

    void ParseRequest_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("l");
        QTest::addColumn<QString>("file");
        QTest::newRow("blanks around") << QByteArray("  0   1 \r\n") << true << 0 << 1 << "";
        QTest::newRow("one number") << QByteArray("1\n") << false << 0 << 0 << "";
        QTest::newRow("empty") << QByteArray() << false << 0 << 0 << "";
        QTest::newRow("file") << QByteArray("1 1 open /a%20b/Caf%C3%A9.uc\n") << true << 1 << 1 << "/a b/Café.uc";
        QTest::newRow("file without open") << QByteArray("1 1 /a/X.uc\n") << false << 0 << 0 << "";
        QTest::newRow("relative file") << QByteArray("1 1 open X.uc\n") << false << 0 << 0 << "";
        QTest::newRow("NUL in the file") << QByteArray("1 1 open /a%00b.uc\n") << false << 0 << 0 << "";
    }

    void ParseRequest()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, valid);
        QFETCH(int, w);
        QFETCH(int, l);
        QFETCH(QString, file);
        const auto parsed = SingleInstance::ParseRequest(line);
        QCOMPARE(parsed, valid ? std::optional(SingleInstance::Request{w, l, file}) : std::nullopt);
    }

    void OnlyOneOneBringsForward()
    {
        QVERIFY(SingleInstance::IsBringForwardRequest(1, 1));
        QVERIFY(!SingleInstance::IsBringForwardRequest(0, 1));
        QVERIFY(!SingleInstance::IsBringForwardRequest(1, 0));
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
