// The INT wizard's pages without a window: what each page proposes when it
// becomes active, the lines the data pages add, Back and its links, the
// editor choice, and Finish on real files of a throw-away game directory.

#include "authoring/IntWizard.h"
#include "model/PackageLoader.h"
#include "platform/TextFile.h"
#include "support/ModelHarness.h"
#include "support/Raised.h"

#include <QTest>

#include <optional>

using namespace kelvarin;
using W = IntWizard;

Q_DECLARE_METATYPE(kelvarin::IntWizard::Page)
Q_DECLARE_METATYPE(kelvarin::IntWizard::Choice)

namespace {

QStringList SummaryTexts(const IntWizard &wizard)
{
    QStringList texts;
    for (const IntWizard::SummaryLine &line : wizard.Summary())
        texts.append(line.text);
    return texts;
}

} // namespace

class TestIntWizard : public QObject
{
    Q_OBJECT

    // Each test's own game directory, and a wizard on its model.
    std::optional<test::ModelHarness> h;
    std::optional<IntWizard> wizard;

    // From the welcome page through the choice page to the page of choice.
    void GoTo(IntWizard::Choice choice)
    {
        QCOMPARE(wizard->Next(), IntWizard::NextOutcome::Moved);
        wizard->Select(choice);
        wizard->Next();
    }

    void Next(int times)
    {
        for (int i = 0; i < times; ++i)
            wizard->Next();
    }

private slots:
    void init()
    {
        wizard.reset();
        h.emplace();
        wizard.emplace(h->model);
    }

    // Each choice's page: what it proposes when it becomes active (again
    // after Back), and the lines it adds for what was typed over them.
    void DataPages_data()
    {
        QTest::addColumn<W::Choice>("choice");
        QTest::addColumn<W::Page>("page");
        QTest::addColumn<QList<int>>("fields");
        QTest::addColumn<QStringList>("proposals");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("mutator")
            << W::ChooseMutator << W::AddMutatorTab << QList<int>{W::MutatorName, W::MutatorClass, W::MutatorHelp}
            << QStringList{"MyMod", "MyMod.MyMod", "MyMod: mutates the game!"}
            << QStringList{"Fast Mut", "Pkg.FastMut", " help, text "}
            << QStringList{"Object=(Name=Pkg.FastMut,Class=Class,MetaClass=Engine.Mutator,"
                           "Description=\"Fast Mut, help, text \")"};
        QTest::newRow("menu") << W::ChooseModMenuItem << W::AddModMenuTab << QList<int>{W::ModMenuClass}
                              << QStringList{"MyMod."} << QStringList{"Pkg.MyMenu"}
                              << QStringList{"Object=(Name=Pkg.MyMenu,Class=Class,MetaClass=UMenu.UMenuModMenuItem)"};
        QTest::newRow("gametype: preferences name DeathmatchPlus")
            << W::ChooseGametype << W::AddGametypeTab << QList<int>{W::GameTypeDescription, W::GameTypeClass}
            << QStringList{"Some gametype", "MyMod."} << QStringList{"Capture It", "Pkg.CaptureGame"}
            << QStringList{"Object=(Name=Pkg.CaptureGame,Class=Class,MetaClass=Botpack.TournamentGameInfo)",
                           "Preferences=(Caption=\"Capture It\",Parent=\"Game Types\","
                           "Class=Botpack.DeathmatchPlus,Immediate=True)"};
        QTest::newRow("map list: the class twice")
            << W::ChooseMapList << W::AddMapListTab << QList<int>{W::MapListDescription, W::MapListClass}
            << QStringList{"Default", "MyMod."} << QStringList{"My maps", "Pkg.MyMaps"}
            << QStringList{"Object=(Name=Pkg.MyMaps,Class=Class,MetaClass=Pkg.MyMaps,Description=\"My maps\")"};
        QTest::newRow("manual line unchanged") << W::ChooseManualLine << W::AddManualLineTab << QList<int>{W::ManualLine}
                                               << QStringList{"Object=(Name="} << QStringList{"  [Odd]  "}
                                               << QStringList{"  [Odd]  "};
        QTest::newRow("nothing") << W::ChooseNothing << W::SummaryTab << QList<int>{} << QStringList{}
                                 << QStringList{} << QStringList{};
        QTest::newRow("no selection") << W::NoChoice << W::SummaryTab << QList<int>{} << QStringList{}
                                      << QStringList{} << QStringList{};
    }

    void DataPages()
    {
        QFETCH(W::Choice, choice);
        QFETCH(W::Page, page);
        QFETCH(QList<int>, fields);
        QFETCH(QStringList, proposals);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, lines);
        QVERIFY(wizard->Show(QStringLiteral("MyMod")));
        QCOMPARE(wizard->Caption(), QStringLiteral("INT file for MyMod"));
        QCOMPARE(wizard->ActivePage(), W::InitialTab);
        QVERIFY(!wizard->BackEnabled());
        GoTo(choice);
        QCOMPARE(wizard->ActivePage(), page);
        QCOMPARE(wizard->BackLink(page), int(W::AddWhatTab));
        QVERIFY(wizard->BackEnabled());
        for (int field : fields)
            wizard->SetFieldText(W::Field(field), QStringLiteral("typed over"));
        // Back to the choice page and forward again: the proposals return.
        wizard->Back();
        QCOMPARE(wizard->ActivePage(), W::AddWhatTab);
        QCOMPARE(wizard->Selected(), W::ChooseNothing);
        wizard->Select(choice);
        wizard->Next();
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QCOMPARE(wizard->FieldText(W::Field(fields[i])), proposals[i]);
            wizard->SetFieldText(W::Field(fields[i]), typed[i]);
        }
        if (page != W::SummaryTab)
            QCOMPARE(wizard->Next(), W::NextOutcome::Moved);
        QCOMPARE(wizard->ActivePage(), W::SummaryTab);
        std::sort(lines.begin(), lines.end(), [](const QString &a, const QString &b) { return CompareText(a, b) < 0; });
        QCOMPARE(SummaryTexts(*wizard), lines);
        for (const auto &line : wizard->Summary())
            QVERIFY(line.checked);
        wizard->Next();
        QCOMPARE(wizard->ActivePage(), W::CreateTab);
        QCOMPARE(wizard->NextCaption(), QStringLiteral("&Finish"));
        QCOMPARE(wizard->FinalList(), QStringList{"[Public]"} + lines);
    }

    // The summary holds the file's lines without headers or blank lines,
    // sorted without regard to case; unchecked lines are left out.
    void UncheckedLinesAreLeftOut()
    {
        h->game.WriteBytes(QStringLiteral("System/P.int"), "[public]\r\n\r\n   \r\nb\r\nA\r\nC\r\n");
        wizard->Show(QStringLiteral("P"));
        Next(2);   // nothing: summary
        QCOMPARE(SummaryTexts(*wizard), (QStringList{"A", "b", "C"}));
        wizard->SetChecked(1, false);
        wizard->Next();
        QCOMPARE(wizard->FinalList(), (QStringList{"[Public]", "A", "C"}));
        // Back and forth again: the final list follows the checks anew.
        wizard->Back();
        QCOMPARE(wizard->NextCaption(), QStringLiteral("&Next ->"));
        wizard->SetChecked(1, true);
        wizard->SetChecked(0, false);
        wizard->Next();
        QCOMPARE(wizard->FinalList(), (QStringList{"[Public]", "b", "C"}));
        wizard->Next();
        QCOMPARE(h->game.Read(QStringLiteral("System/P.int")), QByteArray("[Public]\r\nb\r\nC\r\n"));
    }

    // Back from the summary to a data page: its proposals again, and Next
    // adds its lines again. Then the Back links, and "add something else".
    void BackAndAddSomethingElse()
    {
        wizard->Show(QStringLiteral("M"));
        GoTo(W::ChooseMutator);
        wizard->SetFieldText(W::MutatorName, QStringLiteral("Changed"));
        wizard->Next();
        wizard->Back();
        QCOMPARE(wizard->ActivePage(), W::AddMutatorTab);
        QCOMPARE(wizard->FieldText(W::MutatorName), QStringLiteral("M"));
        wizard->Next();
        QCOMPARE(wizard->Summary().size(), size_t(2));
        // Sorted: the typed-over name before the proposal.
        QVERIFY(wizard->Summary()[0].text.contains(QLatin1String("\"Changed,M: mutates")));
        QVERIFY(wizard->Summary()[1].text.contains(QLatin1String("\"M,M: mutates")));
        // Back links lead from the summary to the mutator page, to the choice
        // page, to the welcome page, which disables Back.
        wizard->Back();
        wizard->Back();
        QCOMPARE(wizard->ActivePage(), W::AddWhatTab);
        wizard->Back();
        QCOMPARE(wizard->ActivePage(), W::InitialTab);
        QVERIFY(!wizard->BackEnabled());
        // On to the summary, and from there back to the choice page.
        Next(2);
        wizard->SetAddSomethingElse(true);
        wizard->Next();
        QCOMPARE(wizard->ActivePage(), W::AddWhatTab);
        QCOMPARE(wizard->Selected(), W::ChooseNothing);
        QCOMPARE(wizard->BackLink(W::AddWhatTab), int(W::SummaryTab));
        wizard->Next();
        QCOMPARE(wizard->ActivePage(), W::SummaryTab);
        QVERIFY(!wizard->AddSomethingElse());
        QCOMPARE(wizard->Summary().size(), size_t(2));
    }

    // The editor choice opens the file and closes the wizard, writing none
    // of the lines added meanwhile; showing it for another package starts
    // afresh, without them.
    void OpenInEditorThenAnotherPackage()
    {
        h->game.WriteBytes(QStringLiteral("System/A.int"), "[Public]\nFromA\n");
        QStringList opened;
        wizard->SetOpenInEditorHandler([&](const QString &path) { opened.append(path); });
        wizard->Show(QStringLiteral("A"));
        GoTo(W::ChooseManualLine);
        wizard->SetFieldText(W::ManualLine, QStringLiteral("AddedForA"));
        wizard->Next();
        wizard->Back();
        wizard->Back();
        wizard->Select(W::ChooseOpenInEditor);
        QCOMPARE(wizard->Next(), W::NextOutcome::OpenedEditor);
        QCOMPARE(opened, QStringList{h->game.Base() + QStringLiteral("\\System\\A.int")});
        QVERIFY(!wizard->IsOpen());
        QCOMPARE(wizard->ActivePage(), W::AddWhatTab);
        QCOMPARE(wizard->Next(), W::NextOutcome::Refused);
        wizard->Show(QStringLiteral("B"));
        QCOMPARE(wizard->ActivePage(), W::InitialTab);
        QVERIFY(wizard->Summary().empty());
        Next(4);
        QCOMPARE(h->game.Read(QStringLiteral("System/B.int")), QByteArray("[Public]\r\n"));
        QCOMPARE(h->game.Read(QStringLiteral("System/A.int")), QByteArray("[Public]\nFromA\n"));
    }

    // A file that cannot be read, and a failed write, are tst_NewINTWizard's
    // (the window shows the message); the wizard's own refusals are here.
    void ShowRefusals_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name: closed without a word") << QString() << QString();
        QTest::newRow("name leading out of the directory") << QStringLiteral("..\\x") << QStringLiteral("Cannot open file ");
    }

    void ShowRefusals()
    {
        QFETCH(QString, package);
        QFETCH(QString, message);
        bool shown = true;
        const QString raised = test::Raised([&] { shown = wizard->Show(package); });
        QVERIFY(!shown || !raised.isEmpty());
        QVERIFY(raised.startsWith(message));
        QVERIFY(!wizard->IsOpen());
    }

    // Finish is refused while the model is busy; then it writes the file and
    // reloads the package only where it was ticked.
    void FinishReloadsOnlyATickedPackage_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked: reloaded, the file in the tree") << true;
        QTest::newRow("not ticked: stays unloaded") << false;
    }

    void FinishReloadsOnlyATickedPackage()
    {
        QFETCH(bool, ticked);
        h->game.MakeDir(QStringLiteral("System"));
        h->Load({"Core/Object.uc:class Object;", "MyMod/MyMod.uc:class MyMod extends Object;"}, {"Core"});
        PackageLoader loader(h->model);
        const int row = h->model.Packages().IndexOf(QStringLiteral("MyMod"));
        QVERIFY(row >= 0);
        if (ticked) {
            h->model.Packages().SetMark(row, PackageList::Mark::Checked);
            QVERIFY(loader.LoadPackage(QStringLiteral("MyMod"), false));
        }
        wizard->Show(QStringLiteral("MyMod"));
        GoTo(W::ChooseMutator);
        Next(2);
        // Refused while the model is busy: the wizard stays, nothing is written.
        {
            ClassModel::BusyScope busy(h->model, QStringLiteral("loading"));
            QCOMPARE(wizard->Next(), W::NextOutcome::Refused);
            QVERIFY(wizard->IsOpen());
            QVERIFY(!h->game.Exists(QStringLiteral("System/MyMod.int")));
        }
        QCOMPARE(wizard->Next(), W::NextOutcome::Written);
        QCOMPARE(h->game.Read(QStringLiteral("System/MyMod.int")),
                 QByteArray("[Public]\r\nObject=(Name=MyMod.MyMod,Class=Class,MetaClass=Engine.Mutator,"
                            "Description=\"MyMod,MyMod: mutates the game!\")\r\n"));
        QCOMPARE(h->model.Packages().MarkAt(row) == PackageList::Mark::Checked, ticked);
        QCOMPARE(test::NodeAtPath(h->model.PackagesBrowser(), QStringLiteral("Packages/MyMod/MyMod.int")) != nullptr,
                 ticked);
        QCOMPARE(h->model.IsPackageLoaded(QStringLiteral("MyMod")), ticked);
        QVERIFY(!h->model.Busy());
    }

    // The script's road: every line of a UTF-8 file added as a manual line,
    // over a UTF-16 file with other sections, whose other bytes stay.
    void ManualLinesOverUtf16FileWithOtherSections()
    {
        auto utf16 = [](const QString &text) { return TextFile::Encode(text, TextEncoding::Utf16LE).mid(2); };
        const QString others = QStringLiteral("[MyMod.Hud]\r\nTitle=\"\u041F\u0440\u0438\u0432\u0435\u0442\"\r\n\r\n;end\n");
        h->game.WriteBytes(QStringLiteral("System/MyMod.int"),
                           QByteArray("\xFF\xFE", 2) + utf16(QStringLiteral("[Public]\r\nZed=1\r\n") + others
                                                             + QStringLiteral("[public]\nAlpha=2\n")));
        h->game.WriteBytes(QStringLiteral("lines.txt"),
                           "\xEF\xBB\xBFObject=(Name=MyMod.X,Class=Class)\nCaption=\"\xE2\x82\xAC\"\n");
        const QStringList lines = IntWizard::ReadUtf8Lines(h->game.Native(QStringLiteral("lines.txt")));
        QCOMPARE(lines.size(), 2);
        IntWizard::WriteWithManualLines(h->model, QStringLiteral("MyMod"), lines);
        const QByteArray expected = QByteArray("\xFF\xFE", 2)
            + utf16(QStringLiteral("[Public]\r\nAlpha=2\r\nCaption=\"\u20AC\"\r\n"
                                   "Object=(Name=MyMod.X,Class=Class)\r\nZed=1\r\n")
                    + others);
        QCOMPARE(h->game.Read(QStringLiteral("System/MyMod.int")), expected);
        QCOMPARE(IntWizard::SummaryFor(h->model, QStringLiteral("MyMod")),
                 (QStringList{"Alpha=2", "Caption=\"\u20AC\"", "Object=(Name=MyMod.X,Class=Class)", "Zed=1"}));
    }

    void ScriptLinesTheFileCannotHoldLeaveItAlone()
    {
        h->game.WriteBytes(QStringLiteral("System/L.int"), "[Public]\r\nA\r\n[X]\r\nB\r\n");
        const QString raised = test::Raised([&] {
            IntWizard::WriteWithManualLines(h->model, QStringLiteral("L"), {QStringLiteral("\u20AC")});
        });
        QVERIFY(!raised.isEmpty());
        QCOMPARE(h->game.Read(QStringLiteral("System/L.int")), QByteArray("[Public]\r\nA\r\n[X]\r\nB\r\n"));
        // A lines file that is missing or no UTF-8.
        h->game.WriteBytes(QStringLiteral("bad.txt"), "A\xFF\xFE\n");
        for (const char *file : {"none.txt", "bad.txt"})
            QVERIFY(test::Raised([&] { IntWizard::ReadUtf8Lines(h->game.Native(QLatin1String(file))); })
                        .startsWith(QLatin1String("Cannot open file ")));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestIntWizard)
#include "tst_IntWizard.moc"
