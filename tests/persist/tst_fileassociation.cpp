#include "persist/FileAssociation.h"
#include "support/TempRegistry.h"

#include <QTest>

using namespace kelvarin;
using namespace kelvarin::FileAssociation;

namespace {

const QString kProgram = QStringLiteral("C:\\Kelvarin\\Kelvarin.exe");

// "key=default value" lines, as an association would be set up by hand;
// "key=dword" stores a number instead of a text.
void Populate(Registry &reg, const QStringList &entries)
{
    for (const QString &e : entries) {
        const QString key = e.section(QLatin1Char('='), 0, 0);
        const QString value = e.section(QLatin1Char('='), 1);
        QVERIFY(value == QLatin1String("dword") ? reg.SetDword(RegRoot::ClassesRoot, key, QString(), 1)
                                                : reg.SetString(RegRoot::ClassesRoot, key, QString(), value));
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

private slots:
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
                                        << "\"C:\\Program Files\\Ed\\ed.exe\"";
        QTest::newRow("text after argument") << "ed.exe %1 -line 3" << "ed.exe";
    }

    void stripFileArgument()
    {
        QFETCH(QString, command);
        QFETCH(QString, stripped);
        QCOMPARE(StripFileArgument(command), stripped);
        // Adding the argument back gives the program and a quoted argument,
        // which strips to the same program; adding it twice changes nothing.
        const QString added = AddFileArgument(command);
        QCOMPARE(added, stripped + QStringLiteral(" \"%1\""));
        QCOMPARE(StripFileArgument(added), stripped);
        QCOMPARE(AddFileArgument(added), added);
    }

    // The command an association runs for one document, on every system.
    void openCommandFor_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("command");   // program, arguments; empty: none
        const QStringList uc{".uc=UCfile"};
        const auto with = [&uc](const QString &command) {
            return uc + QStringList{"UCfile\\shell\\open\\command=" + command};
        };
        QTest::newRow("no association") << QStringList() << "/g/A.uc" << QStringList();
        QTest::newRow("quoted %1") << with("ed \"%1\"") << "/g/My Mod/A.uc" << QStringList{"ed", "/g/My Mod/A.uc"};
        QTest::newRow("no %1 appends the path") << with("ed -n") << "/g/A.uc" << QStringList{"ed", "-n", "/g/A.uc"};
        QTest::newRow("%1 inside an argument, quoted program")
            << with("\"C:\\Program Files\\Ed\\ed.exe\" --file=%1 -x") << "C:\\Game\\Pkg\\Classes\\A.uc"
            << QStringList{"C:\\Program Files\\Ed\\ed.exe", "--file=C:\\Game\\Pkg\\Classes\\A.uc", "-x"};
        QTest::newRow("every %1") << with("diff %1 %1.bak") << "/g/A.uc" << QStringList{"diff", "/g/A.uc", "/g/A.uc.bak"};
        QTest::newRow("unbalanced quote") << with("ed -a \"%1 -b") << "/g/A.uc" << QStringList{"ed", "-a", "/g/A.uc -b"};
        QTest::newRow("a path holding %1 is placed as it is")
            << with("ed %1") << "/g/100%1.uc" << QStringList{"ed", "/g/100%1.uc"};
        QTest::newRow("extension in other letter case") << with("ed %1") << "/g/A.UC" << QStringList{"ed", "/g/A.UC"};
        QTest::newRow("other extension") << with("ed %1") << "/g/A.int" << QStringList();
        QTest::newRow("no extension") << with("ed %1") << "/g/README" << QStringList();
        QTest::newRow("dot in a folder only") << with("ed %1") << "/g/x.uc/README" << QStringList();
        QTest::newRow("dot in a Windows folder only") << with("ed %1") << "C:\\x.uc\\README" << QStringList();
        QTest::newRow("blank command") << with("   ") << "/g/A.uc" << QStringList();
        QTest::newRow("no program") << with("\"\" %1") << "/g/A.uc" << QStringList{"", "/g/A.uc"};
        QTest::newRow("command of the wrong type") << with("dword") << "/g/A.uc" << QStringList();
    }

    void openCommandFor()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, file);
        QFETCH(QStringList, command);
        test::TempRegistry store;
        Populate(store.reg, entries);
        const std::optional<AssociatedCommand> found = OpenCommandFor(store.reg, file);
        QCOMPARE(found.has_value(), !command.isEmpty());
        if (found)
            QCOMPARE(QStringList{found->program} + found->arguments, command);
    }

    // Where an association keeps its open command, and what it holds. A new
    // command is written into the association there is, which keeps its
    // type, icon and verb; with none, a new one of six keys is made.
    void openCommandKey_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("after");   // "key=default value" once written; <none>: no key
        QTest::newRow("nothing")
            << QStringList() << "" << ""
            << QStringList{".UC=UCfile", "UCfile=Unreal Code", "UCfile\\DefaultIcon=" + kProgram + ",0",
                           "UCfile\\shell=open", "UCfile\\shell\\open=&Open", "UCfile\\shell\\open\\command=ed \"%1\""};
        QTest::newRow("type key")
            << QStringList{".UC=UCfile", "UCfile=My own type", "UCfile\\DefaultIcon=icon.ico,3",
                           "UCfile\\shell\\open\\command=old %1"}
            << "\\UCfile\\shell\\open\\command" << "old %1"
            << QStringList{".UC=UCfile", "UCfile=My own type", "UCfile\\DefaultIcon=icon.ico,3",
                           "UCfile\\shell=<none>", "UCfile\\shell\\open\\command=ed \"%1\""};
        QTest::newRow("extension key holds the verbs")
            << QStringList{".UC=", ".UC\\shell\\open\\command=old %1", "UCfile\\shell\\open\\command=viewer %1"}
            << "\\.UC\\shell\\open\\command" << "old %1"
            << QStringList{".UC=", ".UC\\shell\\open\\command=ed \"%1\"", "UCfile\\shell\\open\\command=viewer %1"};
        QTest::newRow("verb named under shell")
            << QStringList{".uc=UCfile", "UCfile\\shell=edit", "UCfile\\shell\\open\\command=viewer %1",
                           "UCfile\\shell\\edit\\command=old %1"}
            << "\\UCfile\\shell\\edit\\command" << "old %1"
            << QStringList{"UCfile\\shell\\edit\\command=ed \"%1\"", "UCfile\\shell\\open\\command=viewer %1"};
        QTest::newRow("type key missing") << QStringList{".UC=UCfile"} << "" << "" << QStringList();
        QTest::newRow("no command") << QStringList{".UC=UCfile", "UCfile\\shell\\open=&Open"} << "" << "" << QStringList();
    }

    void openCommandKey()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, key);
        QFETCH(QString, command);
        QFETCH(QStringList, after);
        test::TempRegistry store;
        Populate(store.reg, entries);
        QCOMPARE(FindOpenCommandKey(store.reg, QStringLiteral(".UC")), key);
        QCOMPARE(ReadOpenCommand(store.reg, QStringLiteral(".UC")), command);

        WriteOpenCommand(store.reg, QStringLiteral(".UC"), QStringLiteral("Unreal Code"), QStringLiteral("ed"), kProgram);
        for (const QString &entry : after)
            QCOMPARE(entry.section('=', 0, 0) + '=' + Default(store.reg, entry.section('=', 0, 0)), entry);
        QCOMPARE(ReadOpenCommand(store.reg, QStringLiteral(".UC")), QStringLiteral("ed \"%1\""));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestFileAssociation)
#include "tst_fileassociation.moc"
