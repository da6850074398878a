#include "session/ProgramArguments.h"

#include <QTest>

using namespace kelvarin;

static const QString Cwd = QStringLiteral("/home/mod/work");

class TestProgramArguments : public QObject
{
    Q_OBJECT

private slots:
    void Parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file");

        const int run = int(ProgramArguments::Action::Run);
        const int help = int(ProgramArguments::Action::Help);
        const int version = int(ProgramArguments::Action::Version);
        const int error = int(ProgramArguments::Action::UsageError);
        const int none = int(ProgramArguments::FileKind::None);
        const int state = int(ProgramArguments::FileKind::State);
        const int cls = int(ProgramArguments::FileKind::Class);
        const int unknown = int(ProgramArguments::FileKind::Unknown);

        QTest::newRow("nothing") << QStringList{} << run << none << "";
        QTest::newRow("--help") << QStringList{"--help"} << help << none << "";
        QTest::newRow("-h") << QStringList{"-h"} << help << none << "";
        QTest::newRow("--version") << QStringList{"--version"} << version << none << "";
        QTest::newRow("-V") << QStringList{"-V"} << version << none << "";
        QTest::newRow("help after a file") << QStringList{"a.uc", "--help"} << help << none << "";
        QTest::newRow("unknown before help") << QStringList{"-x", "--help"} << error << none << "";
        QTest::newRow("lone dash") << QStringList{"-"} << error << none << "";
        QTest::newRow("two files") << QStringList{"a.uc", "b.uc"} << error << none << "";
        QTest::newRow("empty name") << QStringList{""} << error << none << "";
        QTest::newRow("relative state") << QStringList{"States/Mine.Kelvar"} << run << state
                                        << "/home/mod/work/States/Mine.Kelvar";
        QTest::newRow("companion of a state") << QStringList{"/tmp/Mine.Kelvar.UTree"} << run << state
                                              << "/tmp/Mine.Kelvar.UTree";
        QTest::newRow("class, cleaned") << QStringList{"../src/./Gadget.uc"} << run << cls
                                        << "/home/mod/src/Gadget.uc";
        QTest::newRow("class, upper case") << QStringList{"/g/Mod/Classes/GADGET.UC"} << run << cls
                                           << "/g/Mod/Classes/GADGET.UC";
        QTest::newRow("no name before .uc") << QStringList{"/g/.uc"} << run << unknown << "/g/.uc";
        QTest::newRow("other file") << QStringList{"notes.txt"} << run << unknown << "/home/mod/work/notes.txt";
        QTest::newRow("file URL") << QStringList{"file:///tmp/My%20States/A.Kelvar"} << run << state
                                  << "/tmp/My States/A.Kelvar";
        QTest::newRow("remote URL") << QStringList{"file://host/share/A.Kelvar"} << error << none << "";
        QTest::newRow("dash file after --") << QStringList{"--", "-odd.uc"} << run << cls
                                            << "/home/mod/work/-odd.uc";
        QTest::newRow("help after --") << QStringList{"--", "--help"} << run << unknown
                                       << "/home/mod/work/--help";
        QTest::newRow("Qt option and its value") << QStringList{"-platform", "offscreen", "a.uc"} << run << cls
                                                 << "/home/mod/work/a.uc";
        QTest::newRow("Qt option, two dashes") << QStringList{"--style", "fusion"} << run << none << "";
        QTest::newRow("Qt flag") << QStringList{"-reverse", "a.Kelvar"} << run << state
                                 << "/home/mod/work/a.Kelvar";
    }

    void Parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(int, kind);
        QFETCH(QString, file);
        const ProgramArguments parsed = ProgramArguments::Parse(arguments, Cwd);
        QCOMPARE(int(parsed.action), action);
        QCOMPARE(int(parsed.fileKind), kind);
        QCOMPARE(parsed.file, file);
        // A refusal and a file that will not be opened always say why; the
        // program's own run shows the text, which names such a file as a full path.
        const bool explained = parsed.action == ProgramArguments::Action::UsageError
            || parsed.fileKind == ProgramArguments::FileKind::Unknown;
        QCOMPARE(!parsed.message.isEmpty(), explained);
        if (parsed.fileKind == ProgramArguments::FileKind::Unknown)
            QVERIFY2(parsed.message.contains(file), qPrintable(parsed.message));
    }

    void ClassNameOf_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("unix path") << "/g/Mod/Classes/Gadget.uc" << "Gadget";
        QTest::newRow("windows path") << "C:\\UT\\Mod\\Classes\\Gadget.UC" << "Gadget";
        QTest::newRow("dots in folder") << "/a.b/c.d/X.uc" << "X";
    }

    void ClassNameOf()
    {
        QFETCH(QString, file);
        QTEST(ProgramArguments::ClassNameOf(file), "name");
    }
};

KELVARIN_TEST_APPLESS_MAIN(TestProgramArguments)
#include "tst_ProgramArguments.moc"
