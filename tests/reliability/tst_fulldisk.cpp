// Every writer on a full disk: the written error message, and every file as
// it was. The test makes a small file system of its own (tmpfs), which needs
// the right to mount; elsewhere it is skipped and says why.
#include "authoring/IntFile.h"
#include "authoring/NewClassCommands.h"
#include "model/EditPackagesFile.h"
#include "model/PackageLoader.h"
#include "persist/Options.h"
#include "persist/StateFile.h"
#include "platform/RegFileRegistry.h"
#include "support/ModelHarness.h"
#include "support/Raised.h"
#include "support/WriterVersions.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <functional>

using namespace kelvarin;
using test::Raised;

namespace {

// A 1 MB tmpfs mounted over a directory for the object's lifetime.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &dir)
        : m_dir(dir)
    {
        if (::mount("kelvarin-test", QFile::encodeName(m_dir).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=1m,mode=0700") == 0)
            m_mounted = true;
        else
            m_reason = QStringLiteral("cannot mount a small file system here (%1); a full disk needs one")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    QString Reason() const { return m_reason; }

    // Takes every byte that is left, then gives back room bytes.
    void Fill(qint64 room)
    {
        QFile filler(m_dir + QLatin1String("/filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        for (qint64 chunk : {65536, 4096, 1})
            while (filler.write(QByteArray(chunk, 'x')) == chunk) {
            }
        filler.resize(filler.size() - room);
    }
    void Free() { QFile::remove(m_dir + QLatin1String("/filler")); }

private:
    QString m_dir;
    bool m_mounted = false;
    QString m_reason;
};

// Every file below dir, with its bytes.
QMap<QString, QByteArray> Snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == QLatin1String("filler"))
            continue;
        QFile file(path);
        files.insert(QDir(dir).relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return files;
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

    using Write = std::function<void(test::ModelHarness &, bool)>;

private slots:
    void writers_data()
    {
        QTest::addColumn<Write>("write");
        QTest::addColumn<QString>("message");   // how the failure is told
        QTest::addColumn<qint64>("room");        // bytes left on the disk
        const Write saveState([](test::ModelHarness &h, bool a) {
            PackageLoader loader(h.model);
            loader.ReadDefaultPackages();
            if (!a)
                loader.LoadPackage(QStringLiteral("MyMod"), false);
            StateFile(h.model).SaveState(h.game.Base() + QLatin1String("/States/S.Kelvar"));
        });
        QTest::newRow("saving a state") << saveState << "Cannot create file " << qint64(0);
        // One page of room: the first of the four files is written, the next
        // is not, and the first must not replace its old version alone.
        QTest::newRow("saving a state, room for one file") << saveState << "Cannot create file " << qint64(4096);
        QTest::newRow("rewriting EditPackages") << Write([](test::ModelHarness &h, bool a) {
            EditPackagesFile(h.game.Base(), h.prompter).WriteEditPackagesList(test::WriterVersions::EditPackages(a));
        }) << "Cannot create file " << qint64(0);
        QTest::newRow("saving the options") << Write([](test::ModelHarness &h, bool a) {
            RegFileRegistry registry(h.game.Base() + QLatin1String("/registry.reg"));
            TOptions options = test::WriterVersions::Options(a);
            SaveOptions(options, registry, QString());
        }) << "Failed to set data for '" << qint64(0);
        QTest::newRow("writing an INT file") << Write([](test::ModelHarness &h, bool a) {
            IntFile::Write(IntFile::PathFor(h.game.Base(), QStringLiteral("MyMod")), test::WriterVersions::IntLines(a));
        }) << "Cannot create file " << qint64(0);
        QTest::newRow("creating a class") << Write([](test::ModelHarness &h, bool a) {
            NewClassCommands(h.model).CreateClassFile(a ? QStringLiteral("First") : QStringLiteral("Second"),
                                                      QStringLiteral("Actor"), QStringLiteral("MyMod"));
        }) << "Cannot create file " << qint64(0);
    }

    void writers()
    {
        QFETCH(Write, write);
        QFETCH(QString, message);
        QFETCH(qint64, room);
        test::ModelHarness h;
        SmallDisk disk(h.game.Base());
        if (!disk.Mounted())
            QSKIP(qPrintable(disk.Reason()));
        test::WriterVersions::WriteGame(h.game);
        h.model.ResetModel();
        write(h, true);
        const QMap<QString, QByteArray> before = Snapshot(h.game.Base());

        disk.Fill(room);
        h.model.ResetModel();
        const QString raised = Raised([&] { write(h, false); });
        QStringList told = h.prompter.Texts();
        if (!raised.isEmpty())
            told.append(raised);
        QVERIFY2(told.size() == 1 && told.first().startsWith(message), qPrintable(told.join(QLatin1Char('|'))));
        QCOMPARE(Snapshot(h.game.Base()), before);

        // With room again, the same write goes through.
        disk.Free();
        h.prompter.shown.clear();
        h.model.ResetModel();
        QCOMPARE(Raised([&] { write(h, false); }), QString());
        QCOMPARE(h.prompter.Texts(), QStringList());
        QVERIFY(Snapshot(h.game.Base()) != before);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
