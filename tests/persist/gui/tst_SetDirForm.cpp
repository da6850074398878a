#include "persist/Options.h"
#include "persist/gui/SetDirForm.h"
#include "support/ScriptedPickers.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

namespace {


template <typename T>
T *Child(const QWidget &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}

} // namespace

class TestSetDirForm : public QObject
{
    Q_OBJECT

private slots:
    void PositionForPriority_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::newRow("position 0") << 0 << 0;
        QTest::newRow("position 1") << 1 << 1;
        QTest::newRow("position 3") << 3 << 3;
        QTest::newRow("position beyond the slider") << 5 << 3;
        QTest::newRow("31 is still a position") << 31 << 3;
        QTest::newRow("negative position") << -4 << 0;
        QTest::newRow("normal") << 32 << 1;
        QTest::newRow("idle") << 64 << 0;
        QTest::newRow("high") << 128 << 2;
        QTest::newRow("real time") << 256 << 3;
        QTest::newRow("unknown class") << 512 << 1;
        QTest::newRow("between classes") << 100 << 1;
    }

    void PositionForPriority()
    {
        QFETCH(int, value);
        QFETCH(int, position);
        QCOMPARE(TSetDirForm::PositionForPriority(value), position);
    }

    void PriorityForPosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("priority");
        QTest::newRow("0 idle") << 0 << 64;
        QTest::newRow("1 normal") << 1 << 32;
        QTest::newRow("2 high") << 2 << 128;
        QTest::newRow("3 real time") << 3 << 256;
        QTest::newRow("below the slider") << -1 << 32;
        QTest::newRow("beyond the slider") << 4 << 32;
    }

    void PriorityForPosition()
    {
        QFETCH(int, position);
        QFETCH(int, priority);
        QCOMPARE(TSetDirForm::PriorityForPosition(position), priority);
    }

    void PriorityThroughTheSlider_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("afterOk");
        QTest::newRow("0") << 0 << 0 << 64;
        QTest::newRow("5") << 5 << 3 << 256;
        QTest::newRow("512") << 512 << 1 << 32;
        QTest::newRow("32") << 32 << 1 << 32;
        QTest::newRow("64") << 64 << 0 << 64;
        QTest::newRow("128") << 128 << 2 << 128;
        QTest::newRow("256") << 256 << 3 << 256;
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

    void SplitProgramPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::newRow("Windows path") << "C:\\Windows\\Notepad.exe" << "C:\\Windows\\" << "Notepad.exe";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("slashes") << "/usr/bin/gedit" << "/usr/bin/" << "gedit";
        QTest::newRow("mixed separators") << "C:/Tools\\ed.exe" << "C:/Tools\\" << "ed.exe";
        QTest::newRow("file only") << "notepad.exe" << "" << "notepad.exe";
        QTest::newRow("drive only") << "C:ed.exe" << "C:" << "ed.exe";
        QTest::newRow("folder only") << "C:\\Tools\\" << "C:\\Tools\\" << "";
        QTest::newRow("leading quote stays with the folder")
            << "\"C:\\Program Files\\Ed\\ed.exe" << "\"C:\\Program Files\\Ed\\" << "ed.exe";
    }

    void SplitProgramPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, file);
        const TSetDirForm::PathParts parts = TSetDirForm::SplitProgramPath(path);
        QCOMPARE(parts.folder, folder);
        QCOMPARE(parts.file, file);
    }

    void ProgramPickerGetsTheSplitPath_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("startFolder");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("Notepad") << "C:\\Windows\\Notepad.exe" << "C:\\Windows\\" << "Notepad.exe";
        QTest::newRow("empty field") << "" << "" << "";
    }

    void ProgramPickerGetsTheSplitPath()
    {
        QFETCH(QString, editor);
        QFETCH(QString, startFolder);
        QFETCH(QString, proposed);
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        Child<QLineEdit>(form, "UScriptEditCommandEdit")->setText(editor);
        Child<QPushButton>(form, "UCBrowseButton")->click();
        QCOMPARE(pickers.calls, 1);
        QCOMPARE(pickers.request.title, QStringLiteral("Select an executable"));
        QCOMPARE(pickers.request.filter,
                 QStringLiteral("Executable (*.exe)|*.exe|MS-DOS Executable (*.exe, *.com, *.bat)|"
                                "*.exe;*.com;*.bat|All files (*.*)|*.*"));
        QCOMPARE(pickers.request.defaultExtension, QStringLiteral(".exe"));
        QCOMPARE(pickers.request.startFolder, startFolder);
        QCOMPARE(pickers.request.proposedFile, proposed);
        // Cancelled: the field keeps its text.
        QCOMPARE(Child<QLineEdit>(form, "UScriptEditCommandEdit")->text(), editor);
    }

    void ProgramPickerAnswerFillsTheField()
    {
        test::ScriptedPickers pickers;
        pickers.executableAnswer = QStringLiteral("/usr/bin/mousepad");
        TSetDirForm form(pickers);
        Child<QPushButton>(form, "UCBrowseButton")->click();
        QCOMPARE(Child<QLineEdit>(form, "UScriptEditCommandEdit")->text(), QStringLiteral("/usr/bin/mousepad"));
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
        Child<QLineEdit>(form, "DirEdit")->setText(QStringLiteral("C:\\UnrealTournament"));
        Child<QPushButton>(form, "BrowseButton")->click();
        QCOMPARE(pickers.directoryCaption, QStringLiteral("Select Directory"));
        QCOMPARE(pickers.directoryStart, QStringLiteral("C:\\UnrealTournament"));
        QCOMPARE(Child<QLineEdit>(form, "DirEdit")->text(), expected);
    }

    void OptionsRoundTrip()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        TOptions options;
        options.BaseDir = QStringLiteral("C:\\UT");
        options.CommandLine = QStringLiteral("ctf-face");
        options.bUCCVisibleCompile = true;
        options.bUCCVisibleExport = false;
        options.bTestrunAfterCompile = true;
        options.UCCPriority = 128;
        options.UScriptEditCommand = QStringLiteral("C:\\Ed\\ed.exe");
        form.SetOptions(options);
        QCOMPARE(Child<QLineEdit>(form, "DirEdit")->text(), options.BaseDir);
        QCOMPARE(Child<QLineEdit>(form, "CommandlineEdit")->text(), options.CommandLine);
        QVERIFY(Child<QCheckBox>(form, "ShowUCCCompileCheck")->isChecked());
        QVERIFY(!Child<QCheckBox>(form, "ShowUCCExportCheck")->isChecked());
        QVERIFY(Child<QCheckBox>(form, "TestrunCheckBox")->isChecked());

        Child<QLineEdit>(form, "DirEdit")->clear();   // nothing checks the directory
        Child<QCheckBox>(form, "ShowUCCExportCheck")->setChecked(true);
        TOptions target;
        target.LastCompiledPackage = QStringLiteral("MyMod");
        target.RegistryKey = QStringLiteral("\\Software\\Other");
        target.InstanceMessage = 777;
        form.GetOptions().ApplyTo(target);
        QCOMPARE(target.BaseDir, QString());
        QCOMPARE(target.CommandLine, QStringLiteral("ctf-face"));
        QVERIFY(target.bUCCVisibleCompile);
        QVERIFY(target.bUCCVisibleExport);
        QVERIFY(target.bTestrunAfterCompile);
        QCOMPARE(target.UCCPriority, 128);
        QCOMPARE(target.UScriptEditCommand, QStringLiteral("C:\\Ed\\ed.exe"));
        QCOMPARE(target.LastCompiledPackage, QStringLiteral("MyMod"));
        QCOMPARE(target.RegistryKey, QStringLiteral("\\Software\\Other"));
        QCOMPARE(target.InstanceMessage, quint32(777));
    }

    void EditAnswersOnOkOnly_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answered");
        QTest::newRow("Ok") << "OKButton" << true;
        QTest::newRow("Cancel") << "CancelButton" << false;
    }

    void EditAnswersOnOkOnly()
    {
        QFETCH(QString, button);
        QFETCH(bool, answered);
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        TOptions options;
        options.BaseDir = QStringLiteral("/games/UT");
        QTimer::singleShot(0, &form, [&] {
            Child<QLineEdit>(form, "CommandlineEdit")->setText(QStringLiteral("dm-tempest"));
            form.findChild<QPushButton *>(button)->click();
        });
        const std::optional<SetDirValues> values = form.Edit(options);
        QCOMPARE(values.has_value(), answered);
        if (values) {
            QCOMPARE(values->BaseDir, QStringLiteral("/games/UT"));
            QCOMPARE(values->CommandLine, QStringLiteral("dm-tempest"));
        }
    }

    void DesignedControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("GroupBox1") << "GroupBox1" << " Please enter the Unreal Tournament directory: ";
        QTest::newRow("GroupBox2") << "GroupBox2" << " Enter the commandline for the test runs: ";
        QTest::newRow("GroupBox5") << "GroupBox5" << " Enter the program to edit Unreal Class files with: ";
        QTest::newRow("GroupBox3") << "GroupBox3" << " Miscellanious options: ";
        QTest::newRow("GroupBox4") << "GroupBox4" << " UCC priority: ";
        QTest::newRow("BrowseButton") << "BrowseButton" << "&Browse";
        QTest::newRow("UCBrowseButton") << "UCBrowseButton" << "&Browse";
        QTest::newRow("ShowUCCCompileCheck") << "ShowUCCCompileCheck" << "Show UCC when compiling scripts";
        QTest::newRow("ShowUCCExportCheck") << "ShowUCCExportCheck" << "Show UCC when exporting packages";
        QTest::newRow("TestrunCheckBox") << "TestrunCheckBox" << "Test run after a successful compile";
        QTest::newRow("Label1") << "Label1" << "Priority when compiling/exporting:";
        QTest::newRow("OKButton") << "OKButton" << "&Ok";
        QTest::newRow("CancelButton") << "CancelButton" << "&Cancel";
    }

    void DesignedControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        QWidget *w = form.findChild<QWidget *>(name);
        QVERIFY(w);
        QString text;
        if (auto *box = qobject_cast<QGroupBox *>(w))
            text = box->title();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(w))
            text = label->text();
        QCOMPARE(text, caption);
    }

    void DesignedWindow()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelvarin options:"));
        QCOMPARE(form.size(), QSize(385, 380));
        QCOMPARE(form.minimumSize(), QSize(385, 324));
        QVERIFY(Child<QPushButton>(form, "OKButton")->isDefault());
        QVERIFY(!Child<QPushButton>(form, "CancelButton")->isDefault());
        auto *bar = Child<QSlider>(form, "PriorityBar");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 3);
        QCOMPARE(bar->tickInterval(), 1);
        QVERIFY(bar->tickPosition() != QSlider::NoTicks);
    }

    void TabOrder()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        const QStringList expected{"DirEdit", "BrowseButton", "CommandlineEdit",
                                   "ShowUCCCompileCheck", "ShowUCCExportCheck", "TestrunCheckBox",
                                   "OKButton", "CancelButton", "PriorityBar",
                                   "UScriptEditCommandEdit", "UCBrowseButton"};
        QStringList actual;
        QWidget *w = Child<QWidget>(form, "DirEdit");
        for (int i = 0; i < expected.size(); ++i) {
            actual << w->objectName();
            do
                w = w->nextInFocusChain();
            while (w != &form && !(w->focusPolicy() & Qt::TabFocus));
        }
        QCOMPARE(actual, expected);
    }

    void EscapeCancels()
    {
        test::ScriptedPickers pickers;
        TSetDirForm form(pickers);
        QTimer::singleShot(0, &form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
        QVERIFY(!form.Edit(TOptions()).has_value());
    }
};

QTEST_MAIN(TestSetDirForm)
#include "tst_SetDirForm.moc"
