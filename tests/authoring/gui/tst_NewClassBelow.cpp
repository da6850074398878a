#include "authoring/NewClassForm.h"
#include "authoring/gui/NewClassBelow.h"
#include "support/ScriptedPrompter.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace kelvarin;

namespace {

bool LooksFixed(const QLineEdit *edit)
{
    return edit->isReadOnly() && edit->focusPolicy() == Qt::NoFocus
        && edit->palette().color(QPalette::Base) == edit->palette().color(QPalette::Button);
}

bool LooksEditable(const QLineEdit *edit)
{
    return !edit->isReadOnly() && (edit->focusPolicy() & Qt::TabFocus)
        && edit->palette().color(QPalette::Base) != edit->palette().color(QPalette::Button);
}

} // namespace

class TestNewClassBelow : public QObject
{
    Q_OBJECT

private slots:
    void LooksFollowTheCommands()
    {
        test::ScriptedPrompter prompter;
        TNewClassBelow dialog(prompter);
        // As designed: the parent looks fixed until a command says otherwise.
        QVERIFY(LooksFixed(dialog.ParentEdit()));
        QVERIFY(LooksEditable(dialog.PackageEdit()));
        // In a package.
        dialog.SetPackage(QStringLiteral("MyMod"));
        QVERIFY(LooksFixed(dialog.PackageEdit()));
        QVERIFY(LooksEditable(dialog.ParentEdit()));
        QCOMPARE(dialog.ParentEdit()->text(), QStringLiteral("MyParent"));
        QCOMPARE(dialog.NameEdit()->text(), QStringLiteral("MyClass"));
        dialog.SetModalRunner([](QDialog &d) { d.reject(); return d.result(); });
        QVERIFY(!dialog.Execute());
        QVERIFY(!dialog.Form().PackageFixed());
        // Below a class, after a compile of MyMod.
        dialog.SetPackage(QStringLiteral("MyMod"));
        dialog.SetParentClass(QStringLiteral("Actor"));
        QVERIFY(LooksFixed(dialog.ParentEdit()));
        QVERIFY(LooksEditable(dialog.PackageEdit()));
        QCOMPARE(dialog.Entry().name, QStringLiteral("MyActor"));
        QCOMPARE(dialog.Entry().parent, QStringLiteral("Actor"));
        QCOMPARE(dialog.Entry().package, QStringLiteral("MyMod"));
    }

    // Which entries are refused, and in what order, is the form's
    // (tst_NewClassCommands); here a refusal is shown and keeps the dialog
    // open for a better entry.
    void KeysCloseTheRealModalDialog_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("package");
        QTest::addColumn<bool>("created");
        QTest::addColumn<int>("messages");
        QTest::newRow("Enter creates") << int(Qt::Key_Return) << "MyMod" << true << 0;
        QTest::newRow("Esc cancels") << int(Qt::Key_Escape) << "MyMod" << false << 0;
        QTest::newRow("Enter on the proposal is refused, then creates") << int(Qt::Key_Return) << "MyPackage" << true << 1;
    }

    void KeysCloseTheRealModalDialog()
    {
        QFETCH(int, key);
        QFETCH(QString, package);
        test::ScriptedPrompter prompter;
        TNewClassBelow dialog(prompter);
        dialog.SetParentClass(QStringLiteral("Actor"));
        QTimer::singleShot(0, &dialog, [&] {
            dialog.PackageEdit()->setText(package);
            QTest::keyClick(&dialog, Qt::Key(key));
            if (dialog.isVisible()) {   // refused: a package of one's own
                dialog.PackageEdit()->setText(QStringLiteral("MyMod"));
                QTest::keyClick(&dialog, Qt::Key(key));
            }
            if (dialog.isVisible())   // refused again: end it rather than hang
                dialog.reject();
        });
        QTEST(dialog.Execute(), "created");
        QTEST(int(prompter.shown.size()), "messages");
        for (const auto &shown : prompter.shown) {
            QCOMPARE(shown.text, NewClassForm::PackageRefusal);
            QCOMPARE(shown.icon, MessageIcon::None);
            QCOMPARE(shown.title, QStringLiteral("Kelvarin"));
        }
        QCOMPARE(dialog.Entry().package, QStringLiteral("MyMod"));
        QVERIFY(!dialog.Form().PackageFixed() && !dialog.Form().ParentFixed());
    }
};

KELVARIN_TEST_MAIN(TestNewClassBelow)
#include "tst_NewClassBelow.moc"
