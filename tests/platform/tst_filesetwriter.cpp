#include "platform/FileSetWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelvarin;

// Staging is seen through the state files' tests; here, a rename that fails
// after every file was staged (its target became a directory meanwhile).
class TestFileSetWriter : public QObject
{
    Q_OBJECT

private slots:
    void commitStopsAtTheRenameThatFails_data()
    {
        QTest::addColumn<int>("blocked");   // which of the three targets
        QTest::newRow("first") << 0;
        QTest::newRow("last") << 2;
    }

    // The files before the failed one are in place, the ones after it keep
    // their old bytes, the failure names its file and no temporary is left.
    void commitStopsAtTheRenameThatFails()
    {
        QFETCH(int, blocked);
        QTemporaryDir dir;
        QDir files(dir.path());
        const QStringList names{"a.txt", "b.txt", "c.txt"};
        FileSetWriter writer;
        for (const QString &name : names) {
            QFile old(files.filePath(name));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
            old.close();
            QVERIFY(writer.Stage(dir.path() + QLatin1Char('\\') + name, "new " + name.toLatin1()));
        }
        QVERIFY(files.remove(names.at(blocked)) && files.mkdir(names.at(blocked)));

        QString failed;
        QVERIFY(!writer.Commit(&failed));
        QCOMPARE(failed, dir.path() + QLatin1Char('\\') + names.at(blocked));
        for (int i = 0; i < names.size(); ++i) {
            QFile file(files.filePath(names.at(i)));
            const QByteArray expected = i < blocked ? "new " + names.at(i).toLatin1() : "old";
            if (i == blocked)
                QVERIFY(QFileInfo(file).isDir());
            else
                QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == expected);
        }
        QCOMPARE(files.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), names);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestFileSetWriter)
#include "tst_filesetwriter.moc"
