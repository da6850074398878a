#include "persist/FileAssociation.h"
#include "platform/RegFileRegistry.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kelvarin;
using namespace kelvarin::FileAssociation;

namespace {

const QString kProgram = QStringLiteral("C:\\Kelvarin\\Kelvarin.exe");

// "key=default value" lines, as an association would be set up by hand.
void Populate(Registry &reg, const QStringList &entries)
{
    for (const QString &e : entries) {
        const qsizetype at = e.indexOf(QLatin1Char('='));
        QVERIFY(reg.SetString(RegRoot::ClassesRoot, e.left(at), QString(), e.mid(at + 1)));
    }
}

QString Default(Registry &reg, const QString &key)
{
    const auto v = reg.Value(RegRoot::ClassesRoot, key, QString());
    return v ? v->text : QStringLiteral("<none>");
}

} // namespace

class TestFileAssociation : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("registry.reg"));
        QFile::remove(m_path);
    }

    void stripFileArgument_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("bare argument") << "notepad.exe %1" << "notepad.exe";
        QTest::newRow("quoted argument") << "C:\\Ed\\ed.exe \"%1\"" << "C:\\Ed\\ed.exe";
        QTest::newRow("only quoted argument") << "\"%1\"" << "";
        QTest::newRow("only argument") << "%1" << "";
        QTest::newRow("no argument") << "C:\\Ed\\ed.exe" << "C:\\Ed\\ed.exe";
        QTest::newRow("quoted program") << "\"C:\\Program Files\\Ed\\ed.exe\" \"%1\""
                                        << "\"C:\\Program Files\\Ed\\ed.exe";
        QTest::newRow("text after argument") << "ed.exe %1 -line 3" << "ed.exe";
    }

    void stripFileArgument()
    {
        QFETCH(QString, command);
        QFETCH(QString, stripped);
        QCOMPARE(StripFileArgument(command), stripped);
        // Adding the argument back gives a command that strips to the same
        // program, and adding it twice changes nothing.
        const QString added = AddFileArgument(command);
        QVERIFY(added.endsWith(QStringLiteral(" \"%1\"")));
        QCOMPARE(StripFileArgument(added), stripped);
        QCOMPARE(AddFileArgument(added), added);
    }

    void addFileArgument()
    {
        QCOMPARE(AddFileArgument(QStringLiteral("C:\\Ed\\ed.exe")), QStringLiteral("C:\\Ed\\ed.exe \"%1\""));
    }

    void findOpenCommandKey_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("command");
        QTest::newRow("nothing") << QStringList() << "" << "";
        QTest::newRow("type key")
            << QStringList{".UC=UCfile", "UCfile\\shell\\open\\command=ed %1"}
            << "\\UCfile\\shell\\open\\command" << "ed %1";
        QTest::newRow("extension key holds the verbs")
            << QStringList{".UC=", ".UC\\shell\\open\\command=ed %1"}
            << "\\.UC\\shell\\open\\command" << "ed %1";
        QTest::newRow("verb named under shell")
            << QStringList{".uc=UCfile", "UCfile\\shell=edit", "UCfile\\shell\\open\\command=viewer %1",
                           "UCfile\\shell\\edit\\command=ed %1"}
            << "\\UCfile\\shell\\edit\\command" << "ed %1";
        QTest::newRow("type key missing") << QStringList{".UC=UCfile"} << "" << "";
        QTest::newRow("no command") << QStringList{".UC=UCfile", "UCfile\\shell\\open=&Open"} << "" << "";
    }

    void findOpenCommandKey()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, key);
        QFETCH(QString, command);
        RegFileRegistry reg(m_path);
        Populate(reg, entries);
        QCOMPARE(FindOpenCommandKey(reg, QStringLiteral(".UC")), key);
        QCOMPARE(ReadOpenCommand(reg, QStringLiteral(".UC")), command);
    }

    void newAssociationHasSixKeys()
    {
        RegFileRegistry reg(m_path);
        WriteOpenCommand(reg, QStringLiteral(".UC"), QStringLiteral("Unreal Code"), QStringLiteral("notepad.exe"),
                         kProgram);
        QCOMPARE(Default(reg, QStringLiteral(".UC")), QStringLiteral("UCfile"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile")), QStringLiteral("Unreal Code"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\DefaultIcon")), kProgram + QStringLiteral(",0"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\shell")), QStringLiteral("open"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\shell\\open")), QStringLiteral("&Open"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\shell\\open\\command")), QStringLiteral("notepad.exe \"%1\""));

        // Saving again rewrites the command and nothing else.
        Populate(reg, {"UCfile=My own type", "UCfile\\DefaultIcon=icon.ico,3"});
        WriteOpenCommand(reg, QStringLiteral(".UC"), QStringLiteral("Unreal Code"),
                         QStringLiteral("C:\\Ed\\ed.exe \"%1\""), kProgram);
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\shell\\open\\command")), QStringLiteral("C:\\Ed\\ed.exe \"%1\""));
        QCOMPARE(Default(reg, QStringLiteral("UCfile")), QStringLiteral("My own type"));
        QCOMPARE(Default(reg, QStringLiteral("UCfile\\DefaultIcon")), QStringLiteral("icon.ico,3"));
    }

    void existingAssociationKeepsItsVerb_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("rewritten");
        QTest::addColumn<QString>("untouched");
        QTest::newRow("edit verb")
            << QStringList{".UC=UCfile", "UCfile\\shell=edit", "UCfile\\shell\\open\\command=viewer %1",
                           "UCfile\\shell\\edit\\command=old %1"}
            << "UCfile\\shell\\edit\\command" << "UCfile\\shell\\open\\command";
        QTest::newRow("empty extension default")
            << QStringList{".UC=", ".UC\\shell\\open\\command=old %1", "UCfile\\shell\\open\\command=viewer %1"}
            << ".UC\\shell\\open\\command" << "UCfile\\shell\\open\\command";
    }

    void existingAssociationKeepsItsVerb()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, rewritten);
        QFETCH(QString, untouched);
        RegFileRegistry reg(m_path);
        Populate(reg, entries);
        WriteOpenCommand(reg, QStringLiteral(".UC"), QStringLiteral("Unreal Code"), QStringLiteral("ed"), kProgram);
        QCOMPARE(Default(reg, rewritten), QStringLiteral("ed \"%1\""));
        QCOMPARE(Default(reg, untouched), QStringLiteral("viewer %1"));
        QCOMPARE(Default(reg, QStringLiteral(".UC")), entries.first().mid(4));
    }
};

QTEST_GUILESS_MAIN(TestFileAssociation)
#include "tst_fileassociation.moc"
