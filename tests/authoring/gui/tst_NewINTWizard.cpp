// The INT wizard's window, driven with clicks and typing: what each page
// shows, that typed text reaches the written file, and how it answers the
// main window showing it again, the editor choice and a failed write.

#include "authoring/IntWizard.h"
#include "authoring/gui/NewINTWizard.h"
#include "support/ModelHarness.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

using namespace kelvarin;

namespace {

struct Fixture
{
    test::ModelHarness h;
    IntWizard wizard{h.model};
    TNewINTWizard window{wizard, h.prompter};
    QStringList opened;

    Fixture()
    {
        h.game.MakeDir(QStringLiteral("System"));
        window.SetOpenInEditorHandler([this](const QString &path) { opened.append(path); });
    }

    void Click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    int Page() const { return window.Pages()->currentIndex(); }
    QStringList ListTexts(QListWidget *list) const
    {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts.append(list->item(row)->text());
        return texts;
    }
};

} // namespace

class TestNewINTWizard : public QObject
{
    Q_OBJECT

private slots:
    void TypedMutatorIsWrittenOnFinish()
    {
        Fixture f;
        f.h.game.WriteBytes(QStringLiteral("System/MyMod.int"), "[Public]\r\nOld=1\r\n[Keep]\r\nK\n");
        f.window.ShowFor(QStringLiteral("MyMod"));
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.window.windowTitle(), QStringLiteral("INT file for MyMod"));
        QCOMPARE(f.Page(), int(IntWizard::InitialTab));
        QVERIFY(!f.window.BackButton()->isEnabled());

        f.Click(f.window.NextButton());
        QCOMPARE(f.Page(), int(IntWizard::AddWhatTab));
        QVERIFY(f.window.AddWhatGroup()->button(IntWizard::ChooseNothing)->isChecked());
        QVERIFY(f.window.BackButton()->isEnabled());
        // On the radio button's mark: its label ends well before the row does.
        QAbstractButton *mutator = f.window.AddWhatGroup()->button(IntWizard::ChooseMutator);
        QTest::mouseClick(mutator, Qt::LeftButton, {}, QPoint(6, mutator->height() / 2));
        f.Click(f.window.NextButton());
        QCOMPARE(f.Page(), int(IntWizard::AddMutatorTab));
        QLineEdit *name = f.window.FieldEdit(IntWizard::MutatorName);
        QCOMPARE(name->text(), QStringLiteral("MyMod"));
        QCOMPARE(f.window.FieldEdit(IntWizard::MutatorClass)->text(), QStringLiteral("MyMod.MyMod"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Speedy"));

        f.Click(f.window.NextButton());
        QCOMPARE(f.Page(), int(IntWizard::SummaryTab));
        const QString line = QStringLiteral(
            "Object=(Name=MyMod.MyMod,Class=Class,MetaClass=Engine.Mutator,Description=\"Speedy,MyMod: mutates the game!\")");
        QCOMPARE(f.ListTexts(f.window.SummaryList()), (QStringList{line, "Old=1"}));
        // Clearing a box keeps the line out.
        f.window.SummaryList()->item(1)->setCheckState(Qt::Unchecked);
        f.Click(f.window.NextButton());
        QCOMPARE(f.Page(), int(IntWizard::CreateTab));
        QCOMPARE(f.window.NextButton()->text(), QStringLiteral("&Finish"));
        QCOMPARE(f.ListTexts(f.window.CreateSummaryList()), (QStringList{"[Public]", line}));

        f.Click(f.window.NextButton());
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.h.game.Read(QStringLiteral("System/MyMod.int")),
                 QByteArray("[Public]\r\n") + line.toLatin1() + "\r\n[Keep]\r\nK\n");
        QVERIFY(f.h.prompter.shown.isEmpty());
    }

    void FailedWriteIsShownAndTheWizardStays()
    {
        Fixture f;
        f.h.game.MakeDir(QStringLiteral("System/D.int"));
        f.window.ShowFor(QStringLiteral("D"));
        for (int step = 0; step < 3; ++step)
            f.Click(f.window.NextButton());
        QCOMPARE(f.Page(), int(IntWizard::CreateTab));
        f.Click(f.window.NextButton());
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.Page(), int(IntWizard::CreateTab));
        QCOMPARE(f.h.prompter.shown.size(), 1);
        QVERIFY(f.h.prompter.shown[0].text.startsWith(QLatin1String("Cannot create file ")));
        QCOMPARE(f.h.prompter.shown[0].icon, MessageIcon::Error);
    }

    void UnreadableFileIsShownAndTheWizardStaysClosed()
    {
        Fixture f;
        const QByteArray utf16NoMark("[\0P\0]\0\r\0\n\0", 10);
        f.h.game.WriteBytes(QStringLiteral("System/U.int"), utf16NoMark);
        f.window.ShowFor(QStringLiteral("U"));
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.h.prompter.shown.size(), 1);
        QVERIFY(f.h.prompter.shown[0].text.startsWith(QLatin1String("Cannot open file ")));
        QCOMPARE(f.h.game.Read(QStringLiteral("System/U.int")), utf16NoMark);
        f.window.ShowFor(QString());
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.h.prompter.shown.size(), 1);
    }

    void CancelAndEscapeClose_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void CancelAndEscapeClose()
    {
        QFETCH(bool, escape);
        Fixture f;
        f.window.ShowFor(QStringLiteral("P"));
        f.Click(f.window.NextButton());
        if (escape)
            QTest::keyClick(&f.window, Qt::Key_Escape);
        else
            f.Click(f.window.CancelButton());
        QVERIFY(!f.window.isVisible());
        QVERIFY(!f.wizard.IsOpen());
        QVERIFY(!f.h.game.Exists(QStringLiteral("System/P.int")));
    }
};

KELVARIN_TEST_MAIN(TestNewINTWizard)
#include "tst_NewINTWizard.moc"
