#include "model/Options.h"
#include "persist/gui/SetDirForm.h"
#include "support/ScriptedPickers.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

namespace {

template <typename T = QWidget>
T *Child(const QWidget &parent, const QString &name)
{
    return parent.findChild<T *>(name);
}

QLineEdit *Edit(const QWidget &parent, const char *name)
{
    return Child<QLineEdit>(parent, QLatin1String(name));
}

} // namespace

class TestSetDirForm : public QObject
{
    Q_OBJECT

private slots:
    void PriorityThroughTheSlider_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("afterOk");
        QTest::newRow("0: a position") << 0 << 0 << 64;
        QTest::newRow("5: beyond the last position") << 5 << 3 << 256;
        QTest::newRow("31: still a position") << 31 << 3 << 256;
        QTest::newRow("negative") << -4 << 0 << 64;
        QTest::newRow("512: unknown class is normal") << 512 << 1 << 32;
        QTest::newRow("100: between classes is normal") << 100 << 1 << 32;
        QTest::newRow("32 normal") << 32 << 1 << 32;
        QTest::newRow("64 idle") << 64 << 0 << 64;
        QTest::newRow("128 high") << 128 << 2 << 128;
        QTest::newRow("256 real time") << 256 << 3 << 256;
    }

    void PriorityThroughTheSlider()
    {
        QFETCH(int, stored);
        QFETCH(int, position);
        QFETCH(int, afterOk);
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        TOptions options;
        options.UCCPriority = stored;
        form.SetOptions(options);
        QCOMPARE(Child<QSlider>(form, "PriorityBar")->value(), position);
        QCOMPARE(form.GetOptions().UCCPriority, afterOk);
    }

    void ProgramPicker_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("startFolder");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("picked");   // empty: the picker is cancelled
        QTest::newRow("Windows path") << "C:\\Windows\\Notepad.exe" << "C:\\Windows\\" << "Notepad.exe" << "";
        QTest::newRow("empty") << "" << "" << "" << "";
        QTest::newRow("slashes") << "/usr/bin/gedit" << "/usr/bin/" << "gedit" << "";
        QTest::newRow("mixed separators") << "C:/Tools\\ed.exe" << "C:/Tools\\" << "ed.exe" << "";
        QTest::newRow("file only") << "notepad.exe" << "" << "notepad.exe" << "";
        QTest::newRow("drive only") << "C:ed.exe" << "C:" << "ed.exe" << "";
        QTest::newRow("folder only") << "C:\\Tools\\" << "C:\\Tools\\" << "" << "";
        QTest::newRow("leading quote stays with the folder")
            << "\"C:\\Program Files\\Ed\\ed.exe" << "\"C:\\Program Files\\Ed\\" << "ed.exe" << "";
        QTest::newRow("picked program fills the field") << "/usr/bin/gedit" << "/usr/bin/" << "gedit"
                                                        << "/usr/bin/mousepad";
    }

    void ProgramPicker()
    {
        QFETCH(QString, editor);
        QFETCH(QString, startFolder);
        QFETCH(QString, proposed);
        QFETCH(QString, picked);
        test::ScriptedPickers pickers;
        if (!picked.isEmpty())
            pickers.executableAnswer = picked;
        TSetDirForm form(pickers);
        Edit(form, "UScriptEditCommandEdit")->setText(editor);
        Child<QPushButton>(form, "UCBrowseButton")->click();
        QCOMPARE(pickers.calls, 1);
        QCOMPARE(pickers.request.title, QStringLiteral("Select an executable"));
        QCOMPARE(pickers.request.filter,
                 QStringLiteral("Executable (*.exe)|*.exe|MS-DOS Executable (*.exe, *.com, *.bat)|"
                                "*.exe;*.com;*.bat|All files (*.*)|*.*"));
        QCOMPARE(pickers.request.defaultExtension, QStringLiteral(".exe"));
        QCOMPARE(pickers.request.startFolder, startFolder);
        QCOMPARE(pickers.request.proposedFile, proposed);
        QCOMPARE(Edit(form, "UScriptEditCommandEdit")->text(), picked.isEmpty() ? editor : picked);
    }

    void DirectoryPicker_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("expected");
        QTest::newRow("confirmed") << true << "/games/UT";
        QTest::newRow("cancelled") << false << "C:\\UnrealTournament";
    }

    void DirectoryPicker()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, expected);
        test::ScriptedPickers pickers;
        if (confirm)
            pickers.directoryAnswer = QStringLiteral("/games/UT");
        TSetDirForm form(pickers);
        Edit(form, "DirEdit")->setText(QStringLiteral("C:\\UnrealTournament"));
        Child<QPushButton>(form, "BrowseButton")->click();
        QCOMPARE(pickers.directoryCaption, QStringLiteral("Select Directory"));
        QCOMPARE(pickers.directoryStart, QStringLiteral("C:\\UnrealTournament"));
        QCOMPARE(Edit(form, "DirEdit")->text(), expected);
    }

    void OptionsRoundTrip()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        TOptions options;
        options.BaseDir = QStringLiteral("C:\\UT");
        options.CommandLine = QStringLiteral("ctf-face");
        options.bUCCVisibleCompile = true;
        options.bTestrunAfterCompile = true;
        options.bReadCompiledPackages = false;
        options.UScriptEditCommand = QStringLiteral("C:\\Ed\\ed.exe");
        form.SetOptions(options);
        QCOMPARE(Edit(form, "DirEdit")->text(), options.BaseDir);
        QCOMPARE(Edit(form, "CommandlineEdit")->text(), options.CommandLine);
        QVERIFY(Child<QCheckBox>(form, "ShowUCCCompileCheck")->isChecked());
        QVERIFY(!Child<QCheckBox>(form, "ShowUCCExportCheck")->isChecked());
        QVERIFY(!Child<QCheckBox>(form, "ReadCompiledCheck")->isChecked());
        QVERIFY(!Child<QCheckBox>(form, "NativeExportCheck")->isChecked());

        Edit(form, "DirEdit")->clear();   // nothing checks the directory
        Child<QCheckBox>(form, "ShowUCCExportCheck")->setChecked(true);
        Child<QCheckBox>(form, "ReadCompiledCheck")->setChecked(true);
        Child<QCheckBox>(form, "NativeExportCheck")->setChecked(true);
        TOptions target;
        target.bReadCompiledPackages = false;
        target.LastCompiledPackage = QStringLiteral("MyMod");
        target.InstanceMessage = 777;
        form.GetOptions().ApplyTo(target);
        QCOMPARE(target.BaseDir, QString());
        QCOMPARE(target.CommandLine, options.CommandLine);
        QVERIFY(target.bUCCVisibleCompile && target.bUCCVisibleExport && target.bTestrunAfterCompile
                && target.bReadCompiledPackages && target.bNativeExport);
        QCOMPARE(target.UScriptEditCommand, options.UScriptEditCommand);
        // Values that are not the dialog's stay as they were.
        QCOMPARE(target.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(target.InstanceMessage, quint32(777));
    }

    // OK answers the values; a directory without System\UnrealTournament.ini
    // is said so in the dialog first, and a second OK keeps it, unless it
    // was corrected meanwhile.
    void EditAnswersOnOkOnly_data()
    {
        QTest::addColumn<QString>("button");   // empty: a key instead
        QTest::addColumn<int>("key");
        // "game" holds the game's ini; in "empty" a directory stands in its place
        QTest::addColumn<QString>("dir");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("correction");   // typed after the first press
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("warned");      // the warning shows at the end
        QTest::newRow("Ok") << "OKButton" << 0 << "game" << 1 << "" << true << false;
        QTest::newRow("Enter") << "" << int(Qt::Key_Return) << "game" << 1 << "" << true << false;
        QTest::newRow("Cancel") << "CancelButton" << 0 << "game" << 1 << "" << false << false;
        QTest::newRow("Esc") << "" << int(Qt::Key_Escape) << "game" << 1 << "" << false << false;
        QTest::newRow("no game: said, not closed") << "OKButton" << 0 << "empty" << 1 << "" << false << true;
        QTest::newRow("no game: Ok again keeps it") << "OKButton" << 0 << "empty" << 2 << "" << true << true;
        QTest::newRow("no game, corrected") << "" << int(Qt::Key_Return) << "empty" << 2 << "game" << true << false;
    }

    void EditAnswersOnOkOnly()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(QString, dir);
        QFETCH(int, presses);
        QFETCH(QString, correction);
        QFETCH(bool, answered);
        QFETCH(bool, warned);
        QTemporaryDir scratch;
        QVERIFY(QDir(scratch.path()).mkpath(QStringLiteral("game/System")));
        QVERIFY(QDir(scratch.path()).mkpath(QStringLiteral("empty/System/UnrealTournament.ini/inside")));
        QFile ini(scratch.filePath(QStringLiteral("game/System/UnrealTournament.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        TOptions options;
        options.BaseDir = scratch.filePath(dir);
        QString warning;
        QTimer::singleShot(0, &form, [&] {
            Edit(form, "CommandlineEdit")->setText(QStringLiteral("dm-tempest"));
            for (int press = 0; press < presses && form.isVisible(); ++press) {
                if (press == 1 && !correction.isEmpty())
                    Edit(form, "DirEdit")->setText(scratch.filePath(correction));
                if (button.isEmpty())
                    QTest::keyClick(&form, Qt::Key(key));
                else
                    Child<QPushButton>(form, button)->click();
            }
            warning = form.DirWarning();
            if (form.isVisible())   // neither answered nor cancelled: end it instead of hanging
                form.done(-1);
        });
        const std::optional<SetDirValues> values = form.Edit(options);
        QCOMPARE(values.has_value(), answered);
        QCOMPARE(warning.contains(QStringLiteral("no System\\UnrealTournament.ini")), warned);
        if (values) {
            QCOMPARE(values->BaseDir, scratch.filePath(correction.isEmpty() ? dir : correction));
            QCOMPARE(values->CommandLine, QStringLiteral("dm-tempest"));
        }
    }

    // The check boxes' captions (swapped ones would set the wrong option)
    // and the tab order.
    void CheckBoxesAndTabOrder()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        QStringList captions;
        for (QCheckBox *box : form.findChildren<QCheckBox *>())
            captions << box->objectName() + QLatin1Char('=') + box->text();
        QCOMPARE(captions, (QStringList{
            "ShowUCCCompileCheck=Show UCC when compiling scripts",
            "ShowUCCExportCheck=Show UCC when exporting packages",
            "TestrunCheckBox=Test run after a successful compile",
            "ReadCompiledCheck=Read packages without sources from their compiled .u file",
            "NativeExportCheck=Export packages without UCC (Kelvarin's own exporter)"}));
        // The editor field's hint tells how a line reaches the editor.
        QVERIFY(Edit(form, "UScriptEditCommandEdit")->toolTip().contains(QStringLiteral("\"%2\" for the line")));

        const QStringList expected{"DirEdit", "BrowseButton", "CommandlineEdit",
                                   "ShowUCCCompileCheck", "ShowUCCExportCheck", "TestrunCheckBox",
                                   "ReadCompiledCheck", "NativeExportCheck", "OKButton", "CancelButton", "PriorityBar",
                                   "UScriptEditCommandEdit", "UCBrowseButton"};
        QStringList actual;
        QWidget *w = Edit(form, "DirEdit");
        for (int i = 0; i < expected.size(); ++i) {
            actual << w->objectName();
            do
                w = w->nextInFocusChain();
            while (w != &form && !(w->focusPolicy() & Qt::TabFocus));
        }
        QCOMPARE(actual, expected);
    }
};

KELVARIN_TEST_MAIN(TestSetDirForm)
#include "tst_SetDirForm.moc"
