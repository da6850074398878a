#include "authoring/NewClassCommands.h"
#include "authoring/NewClassDialog.h"
#include "authoring/NewClassForm.h"
#include "platform/TextFile.h"
#include "support/ModelHarness.h"

#include <QFileInfo>
#include <QTest>

#include <functional>

using namespace kelvarin;
using namespace kelvarin::test;

namespace {

const QByteArray Equals = "// " + QByteArray(60, '=') + "\r\n";

// The dialog as a user would drive it: the form's proposals, then whatever
// the script types, then Create (true) or Cancel (false).
class ScriptedDialog : public NewClassDialog
{
public:
    void SetPackage(const QString &p) override { calls.append("SetPackage " + p), form.SetPackage(p); }
    void SetParentClass(const QString &p) override { calls.append("SetParentClass " + p), form.SetParentClass(p); }
    bool Execute() override
    {
        shown = form.Entry();
        const bool create = user ? user(form) : true;
        form.FormClose();
        return create;
    }
    NewClassEntry Entry() const override { return form.Entry(); }

    NewClassForm form;
    QStringList calls;
    NewClassEntry shown;
    std::function<bool(NewClassForm &)> user;
};

// Core (Object) and Engine (Actor) loaded and ticked, the commands on top.
struct Env
{
    Env()
    {
        h.Load({"Core/Object.uc:class Object;", "Engine/Actor.uc:class Actor expands Object;"}, {"Core", "Engine"});
        for (const char *package : {"Core", "Engine"})
            h.model.Packages().SetMark(h.model.Packages().IndexOf(QLatin1String(package)), PackageList::Mark::Checked);
        commands.SetDialog(&dialog);
        commands.SetOpenInEditor([this](const QString &path) { opened.append(path); });
    }

    TreeNode *ClassNode(const QString &name) { return h.model.FindNode(h.model.Browser(), name); }
    TreeNode *PackageNode(const QString &name) { return h.model.FindNode(h.model.PackagesBrowser(), name); }
    QString GamePath(const QString &relative) const
    {
        return h.options.BaseDir + QLatin1Char('\\') + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }

    ModelHarness h;
    ScriptedDialog dialog;
    NewClassCommands commands{h.model};
    QStringList opened;
};

QByteArray DefaultFile(const QByteArray &package, const QByteArray &name, const QByteArray &parent)
{
    return Equals + "// " + package + "." + name + ": put your comment here\r\n\r\n"
        + "// Created with Kelvarin\r\n" + Equals + "\r\nclass " + name + " expands " + parent
        + ";\r\n\r\ndefaultproperties {\r\n}\r\n";
}

} // namespace

class TestNewClassCommands : public QObject
{
    Q_OBJECT

private slots:
    void Refusal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("message");   // empty: accepted
        const QString package = NewClassForm::PackageRefusal;
        const QString cls = NewClassForm::ClassRefusal;
        const QString parent = NewClassForm::ParentRefusal;
        const QString badPackage = NewClassForm::BadPackageName;
        const QString badClass = NewClassForm::BadClassName;
        const QString badParent = NewClassForm::BadParentName;
        QTest::newRow("all three proposals: package first") << "MyClass" << "MyParent" << "MyPackage" << package;
        QTest::newRow("class before parent") << "MyClass" << "MyParent" << "MyMod" << cls;
        QTest::newRow("parent last") << "Foo" << "MyParent" << "MyMod" << parent;
        QTest::newRow("lower-case proposal passes") << "Foo" << "Actor" << "mypackage" << "";
        QTest::newRow("dotted parent") << "Foo" << "Engine.Keypoint" << "MyMod" << "";
        QTest::newRow("refusal before name check") << "MyClass" << "Actor" << "..\\x" << cls;
        QTest::newRow("package leaving the game") << "Foo" << "Actor" << "..\\x" << badPackage;
        QTest::newRow("empty package") << "Foo" << "Actor" << "" << badPackage;
        QTest::newRow("package starting with a digit") << "Foo" << "Actor" << "9Mod" << badPackage;
        QTest::newRow("package checked before class") << "" << "" << " Mod" << badPackage;
        QTest::newRow("empty class (would be .uc)") << "" << "Actor" << "MyMod" << badClass;
        QTest::newRow("class with a blank") << "My Foo" << "Actor" << "MyMod" << badClass;
        QTest::newRow("class with separator") << "..\\Foo" << "Actor" << "MyMod" << badClass;
        QTest::newRow("class only letters outside ASCII") << "Ägypten" << "Actor" << "MyMod" << badClass;
        QTest::newRow("class with a dot") << "Foo.Bar" << "Actor" << "MyMod" << badClass;
        QTest::newRow("class checked before parent") << "1Foo" << "" << "MyMod" << badClass;
        QTest::newRow("empty parent") << "Foo" << "" << "MyMod" << badParent;
        QTest::newRow("two dots") << "Foo" << "A.B.C" << "MyMod" << badParent;
        QTest::newRow("parent with blank") << "Foo" << "Act or" << "MyMod" << badParent;
        QTest::newRow("parent with semicolon") << "Foo" << "Actor;" << "MyMod" << badParent;
    }

    void Refusal()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QString, package);
        QFETCH(QString, message);
        QCOMPARE(NewClassForm::Refusal(NewClassEntry{name, parent, package}), message);
        if (message.isEmpty())
            return;
        // The script command refuses the same way and creates nothing.
        Env env;
        QVERIFY(!env.commands.NewClass(package, name, parent));
        QCOMPARE(env.h.prompter.Texts(), QStringList{message});
        QCOMPARE(env.h.prompter.shown.first().icon, MessageIcon::None);
        QCOMPARE(env.h.prompter.shown.first().title, QStringLiteral("Kelvarin"));
        QVERIFY(!env.h.game.Exists(QStringLiteral("MyMod")) && !env.h.game.Exists(QStringLiteral("MyPackage")));
    }

    void Proposals_data()
    {
        QTest::addColumn<QString>("lastCompiled");
        QTest::addColumn<bool>("belowClass");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("package");
        // Parent fixed, package fixed, parent looks fixed, package looks fixed.
        QTest::addColumn<QList<bool>>("fixed");
        QTest::newRow("below Actor, nothing compiled")
            << "" << true << QStringList{"SetParentClass Actor"} << "MyActor" << "Actor" << "MyPackage"
            << QList<bool>{true, false, true, false};
        QTest::newRow("below Actor after compiling MyMod")
            << "MyMod" << true << QStringList{"SetPackage MyMod", "SetParentClass Actor"} << "MyActor" << "Actor"
            << "MyMod" << QList<bool>{true, true, true, false};
        QTest::newRow("in package Engine")
            << "MyMod" << false << QStringList{"SetPackage Engine"} << "MyClass" << "MyParent" << "Engine"
            << QList<bool>{false, true, false, true};
    }

    void Proposals()
    {
        QFETCH(QString, lastCompiled);
        QFETCH(bool, belowClass);
        Env env;
        env.h.options.LastCompiledPackage = lastCompiled;
        QList<bool> fixed;
        env.dialog.user = [&](NewClassForm &form) {
            fixed = {form.ParentFixed(), form.PackageFixed(), form.ParentLooksFixed(), form.PackageLooksFixed()};
            return false;
        };
        env.commands.CreateClassPopupItemClick(belowClass ? env.ClassNode(QStringLiteral("Actor"))
                                                          : env.PackageNode(QStringLiteral("Engine")));
        QTEST(env.dialog.calls, "calls");
        QTEST(env.dialog.shown.name, "name");
        QTEST(env.dialog.shown.parent, "parent");
        QTEST(env.dialog.shown.package, "package");
        QTEST(fixed, "fixed");
        // Cancel: nothing written, and the next showing starts from clear flags.
        QVERIFY(!env.h.game.Exists(QStringLiteral("MyPackage")));
        QVERIFY(!env.dialog.form.PackageFixed() && !env.dialog.form.ParentFixed());
        env.dialog.calls.clear();
        env.commands.CreateClassPopupItemClick(env.PackageNode(QStringLiteral("Core")));
        QCOMPARE(env.dialog.shown.parent, QStringLiteral("MyParent"));
        QCOMPARE(fixed, (QList<bool>{false, true, false, true}));
    }

    // Refused while the model is busy; once it is not, the class is created
    // and its package loaded, which holds the busy scope itself.
    void CreateBelowActorInNewPackage()
    {
        Env env;
        env.dialog.user = [](NewClassForm &form) {
            form.SetName(QStringLiteral("Foo"));
            form.SetPackageText(QStringLiteral("MyMod"));
            return true;
        };
        {
            ClassModel::BusyScope busy(env.h.model, QStringLiteral("searching"));
            env.commands.CreateClassPopupItemClick(env.ClassNode(QStringLiteral("Actor")));
            QVERIFY(env.dialog.calls.isEmpty());
            QVERIFY(!env.commands.NewClass(QStringLiteral("MyMod"), QStringLiteral("Foo"), QStringLiteral("Actor")));
            QCOMPARE(env.h.statuses.last(),
                     QStringLiteral("Please wait until the running operation has finished (searching)."));
        }
        QVERIFY(!env.h.game.Exists(QStringLiteral("MyMod")));
        bool busyWhileLoading = false;
        env.h.model.SetStatusSink([&](const QString &text) {
            if (text.startsWith(QStringLiteral("Loading: ")))
                busyWhileLoading = env.h.model.Busy();
        });
        env.commands.CreateClassPopupItemClick(env.ClassNode(QStringLiteral("Actor")));
        QVERIFY(busyWhileLoading);
        QVERIFY(!env.h.model.Busy());
        QVERIFY(env.h.prompter.shown.isEmpty());
        QCOMPARE(env.h.game.Read(QStringLiteral("MyMod/Classes/Foo.uc")), DefaultFile("MyMod", "Foo", "Actor"));
        QCOMPARE(DumpTree(env.h.model.Browser()), (QStringList{"Classes", "-Object", "--Actor", "---Foo"}));
        QVERIFY(NodeAtPath(env.h.model.PackagesBrowser(), QStringLiteral("Packages/MyMod/Foo")));
        QCOMPARE(env.h.model.FindPackage(QStringLiteral("Foo")), QStringLiteral("MyMod"));
        QCOMPARE(env.h.PackageItems(true), (QStringList{"Core", "Engine", "MyMod"}));
    }

    void CreateInExistingPackage()
    {
        Env env;
        env.h.game.WriteClass(QStringLiteral("Engine"), QStringLiteral("Info.uc"), QStringLiteral("class Info expands Actor;"));
        env.h.game.WriteText(QStringLiteral("System/Engine.int"), QStringLiteral("[Public]\r\n"));
        env.dialog.user = [](NewClassForm &form) {
            form.SetName(QStringLiteral("Bar"));
            form.SetParent(QStringLiteral("Actor"));
            return true;
        };
        // From a class node of the package tree: its package.
        env.commands.CreateClassPopupItemClick(NodeAtPath(env.h.model.PackagesBrowser(), QStringLiteral("Packages/Engine/Actor")));
        QCOMPARE(env.dialog.calls, QStringList{"SetPackage Engine"});
        QCOMPARE(env.h.game.Read(QStringLiteral("Engine/Classes/Bar.uc")), DefaultFile("Engine", "Bar", "Actor"));
        // Merged: Actor stays single, and the class file and the .int already on disk come in too.
        QCOMPARE(DumpTree(env.h.model.Browser()),
                 (QStringList{"Classes", "-Object", "--Actor", "---Bar", "---Info"}));
        QCOMPARE(DumpTree(env.h.model.PackagesBrowser()),
                 (QStringList{"Packages", "-Core", "--Object", "-Engine", "--Actor", "--Bar", "--Info", "--Engine.int"}));
    }

    void AwkwardTemplates_data()
    {
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<QByteArray>("expected");   // the whole class file
        const QByteArray tail = Equals + "\r\nclass Foo expands Actor;\r\n\r\ndefaultproperties {\r\n}\r\n";
        // Each line: the first $PACKAGE and $CLASS replaced, unless an escaped
        // one comes first, and "\\$" made "$"; blanks trimmed, CR LF ends.
        QTest::newRow("placeholders, escapes, blanks, line ends, 8-bit and long lines")
            << QByteArray("  // $PACKAGE.$CLASS\r\n"
                          "\t// keeps \\$CLASS, \\$PACKAGE and $CLASS\n"
                          "// $CLASS twice: $CLASS\n"
                          "// \\$PACKAGE then $PACKAGE\r"
                          "// $class and $package: the names are case-sensitive\n"
                          "\r\n"
                          "// Caf\xE9 \xA9 2024   \r\n"
                          "// " + QByteArray(400, 'x') + " $CLASS\r\n")
            << (Equals + "// MyMod.Foo\r\n// keeps $CLASS, $PACKAGE and $CLASS\r\n// Foo twice: $CLASS\r\n"
                + "// $PACKAGE then $PACKAGE\r\n// $class and $package: the names are case-sensitive\r\n\r\n// Caf\xE9 \xA9 2024\r\n// " + QByteArray(400, 'x') + " Foo\r\n" + tail);
        QTest::newRow("binary with NULs: the default comment")
            << QByteArray("\x7F" "ELF\x02\x01\x01\x00\x00\x00\xFF\xFE\r\n\x00\x01", 16)
            << DefaultFile("MyMod", "Foo", "Actor");
        QTest::newRow("UTF-16 without a byte-order mark: the default comment")
            << QByteArray("/\0/\0 \0$\0C\0L\0A\0S\0S\0", 18) << DefaultFile("MyMod", "Foo", "Actor");
        const auto utf16 = [](const QString &text) { return TextFile::Encode(text, TextEncoding::Utf16LE); };
        QTest::newRow("UTF-16 in Latin-1 range: decoded, written as 8-bit")
            << utf16(QString::fromLatin1("// $PACKAGE.$CLASS\r\n// Caf\xE9"))
            << (Equals + "// MyMod.Foo\r\n// Caf\xE9\r\n" + tail);
        QTest::newRow("UTF-16 beyond Latin-1: the class keeps the template's encoding")
            << utf16(QStringLiteral("// \u03A9"))
            << utf16(QString::fromLatin1(Equals) + QStringLiteral("// \u03A9\r\n") + QString::fromLatin1(tail));
        QTest::newRow("empty: no comment lines at all") << QByteArray() << (Equals + tail);
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF// \xC3\xA9") << (Equals + "// \xE9\r\n" + tail);
    }

    void AwkwardTemplates()
    {
        QFETCH(QByteArray, comment);
        Env env;
        env.h.game.WriteBytes(QStringLiteral("MyMod/Comment.txt"), comment);
        QVERIFY(env.commands.NewClass(QStringLiteral("MyMod"), QStringLiteral("Foo"), QStringLiteral("Actor")));
        QTEST(env.h.game.Read(QStringLiteral("MyMod/Classes/Foo.uc")), "expected");
        QVERIFY(env.h.prompter.shown.isEmpty());
        QVERIFY(env.h.model.FindNode(env.h.model.Browser(), QStringLiteral("Foo")));
        QCOMPARE(env.h.game.Read(QStringLiteral("MyMod/Comment.txt")), comment);
    }

    // The class file cannot be written, or is there already: one error, and
    // nothing changes.
    void UnwritablePlaces_data()
    {
        QTest::addColumn<QString>("blocker");   // a file where a directory is needed, or a directory
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");   // empty: "Cannot create file <path of the class>"
        QTest::newRow("package directory is a file") << "MyMod" << "MyMod" << "Foo" << "";
        QTest::newRow("class file is a directory") << "MyMod/Classes/Foo.uc/" << "MyMod" << "Foo" << "";
        QTest::newRow("name too long") << "" << "MyMod" << QString(300, QLatin1Char('F')) << "";
        // CreateClassFile itself keeps every path part below the base directory.
        QTest::newRow("package ..") << "" << ".." << "Foo" << "";
        QTest::newRow("class with separators") << "" << "MyMod" << "../../Evil" << "";
        QTest::newRow("empty class") << "" << "MyMod" << "" << "";
        QTest::newRow("class exists") << "mymod/Classes/Foo.uc" << "MyMod" << "Foo" << "The class MyMod.Foo already exists!";
        QTest::newRow("class exists in other case") << "mymod/Classes/foo.UC" << "MyMod" << "Foo"
                                                    << "The class MyMod.Foo already exists!";
    }

    void UnwritablePlaces()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, package);
        QFETCH(QString, name);
        QFETCH(QString, message);
        Env env;
        if (blocker.endsWith(QLatin1Char('/')))
            env.h.game.MakeDir(blocker);
        else if (!blocker.isEmpty())
            env.h.game.WriteBytes(blocker, "keep me");
        const QStringList before = DumpTree(env.h.model.Browser());
        QVERIFY(!env.commands.CreateClassFile(name, QStringLiteral("Actor"), package));
        QCOMPARE(env.h.prompter.shown.size(), 1);
        const QString shown = env.h.prompter.shown.first().text;
        if (message.isEmpty())
            QVERIFY2(shown.startsWith(QStringLiteral("Cannot create file ")) && shown.endsWith(name + QStringLiteral(".uc")),
                     qPrintable(shown));
        else
            QCOMPARE(shown, message);
        QCOMPARE(env.h.prompter.shown.first().icon, MessageIcon::Error);
        if (!blocker.isEmpty() && !blocker.endsWith(QLatin1Char('/')))
            QCOMPARE(env.h.game.Read(blocker), QByteArray("keep me"));
        QCOMPARE(DumpTree(env.h.model.Browser()), before);
        QCOMPARE(env.h.PackageItems(true), (QStringList{"Core", "Engine"}));
        QVERIFY(!env.h.game.Exists(QStringLiteral("Evil.uc")));
        QVERIFY(!QFileInfo::exists(env.h.game.Native(QStringLiteral("../Evil.uc"))));
    }

    void PopupOnRootsDoesNothing()
    {
        Env env;
        env.commands.CreateClassPopupItemClick(env.h.model.Browser().First());
        env.commands.CreateClassPopupItemClick(env.h.model.PackagesBrowser().First());
        env.commands.CreateClassPopupItemClick(nullptr);
        QVERIFY(env.dialog.calls.isEmpty());
    }

    void CustomCommentCommand()
    {
        Env env;
        // No template yet: an empty one is created, then opened.
        env.commands.AddeditcustomcommentClick(env.PackageNode(QStringLiteral("Engine")));
        QCOMPARE(env.opened, QStringList{env.GamePath(QStringLiteral("Engine/Comment.txt"))});
        QVERIFY(env.h.game.Exists(QStringLiteral("Engine/Comment.txt")));
        QCOMPARE(env.h.game.Read(QStringLiteral("Engine/Comment.txt")), QByteArray());
        // An existing one is opened as it is.
        env.h.game.WriteBytes(QStringLiteral("Engine/Comment.txt"), "// $PACKAGE\r\n");
        env.commands.AddeditcustomcommentClick(env.PackageNode(QStringLiteral("Engine")));
        QCOMPARE(env.opened.size(), 2);
        QCOMPARE(env.h.game.Read(QStringLiteral("Engine/Comment.txt")), QByteArray("// $PACKAGE\r\n"));
        // Not for class-tree nodes, nor without a node.
        env.commands.AddeditcustomcommentClick(env.ClassNode(QStringLiteral("Actor")));
        env.commands.AddeditcustomcommentClick(nullptr);
        QCOMPARE(env.opened.size(), 2);
        QVERIFY(!env.h.game.Exists(QStringLiteral("Core/Comment.txt")));
        env.opened.clear();
        TreeNode *gone = env.h.model.PackagesBrowser().Add(env.h.model.PackagesBrowser().First(), QStringLiteral("Gone"));
        env.commands.AddeditcustomcommentClick(gone);
        // The editor is still asked, and reports the missing file itself.
        QCOMPARE(env.opened, QStringList{env.GamePath(QStringLiteral("Gone/Comment.txt"))});
        QVERIFY(!env.h.game.Exists(QStringLiteral("Gone")));
        // A name leading out of the game directory opens and creates nothing.
        TreeNode *evil = env.h.model.PackagesBrowser().Add(env.h.model.PackagesBrowser().First(), QStringLiteral(".."));
        env.commands.AddeditcustomcommentClick(evil);
        QCOMPARE(env.opened.size(), 1);
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestNewClassCommands)
#include "tst_NewClassCommands.moc"
