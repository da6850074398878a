#include "model/ClassLocator.h"

#include "support/ModelHarness.h"

#include <QTest>

using namespace kelvarin;
using test::BuildTree;
using test::NodeAtPath;

// Packages Alpha (classes Object, Beta, Gamma) and Beta (class Delta): the
// package Beta shares its name with a class of Alpha that comes first in
// the package tree.
class TestClassLocator : public QObject
{
    Q_OBJECT

    static void Build(test::ModelHarness &h)
    {
        BuildTree(h.model.Browser(), {"Classes", "-Object", "--Beta", "--Delta", "---Gamma"});
        BuildTree(h.model.PackagesBrowser(),
                  {"Packages", "-Alpha", "--Object", "--Beta", "--Gamma", "-Beta", "--Delta"});
        for (const char *entry : {"Alpha&Object", "Alpha&Beta", "Alpha&Gamma", "Beta&Delta"})
            h.model.Bindings().Add(QLatin1String(entry));
    }

private slots:
    void Locate_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("classPath");     // empty: no node
        QTest::addColumn<QString>("packagePath");
        QTest::newRow("nested class") << "gamma" << "Classes/Object/Delta/Gamma" << "Packages/Alpha/Gamma";
        QTest::newRow("class named like a package") << "Beta" << "Classes/Object/Beta" << "Packages/Alpha/Beta";
        QTest::newRow("class of a later package") << "DELTA" << "Classes/Object/Delta" << "Packages/Beta/Delta";
        QTest::newRow("not loaded") << "Epsilon" << "" << "";
        QTest::newRow("the root is no class") << "Classes" << "" << "";
    }

    void Locate()
    {
        QFETCH(QString, className);
        QFETCH(QString, classPath);
        QFETCH(QString, packagePath);
        test::ModelHarness h;
        Build(h);
        const ClassLocator::Place place = ClassLocator(h.model).Locate(className);
        QCOMPARE(place.classNode, classPath.isEmpty() ? nullptr : NodeAtPath(h.model.Browser(), classPath));
        QCOMPARE(place.packageNode, packagePath.isEmpty() ? nullptr : NodeAtPath(h.model.PackagesBrowser(), packagePath));
        if (!classPath.isEmpty())
            QVERIFY(place.classNode && place.packageNode);
    }

    void PackageNode_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("path");
        QTest::newRow("package, not the class of that name") << "beta" << "Packages/Beta";
        QTest::newRow("first package") << "ALPHA" << "Packages/Alpha";
        QTest::newRow("a class is no package") << "Delta" << "";
        QTest::newRow("the root is no package") << "Packages" << "";
        QTest::newRow("unknown package") << "? ? ?" << "";
    }

    void PackageNode()
    {
        QFETCH(QString, package);
        QFETCH(QString, path);
        test::ModelHarness h;
        Build(h);
        QCOMPARE(ClassLocator::PackageNode(h.model.PackagesBrowser(), package),
                 path.isEmpty() ? nullptr : NodeAtPath(h.model.PackagesBrowser(), path));
        Tree empty{Tree::Kind::PackageTree};
        QVERIFY(!ClassLocator::PackageNode(empty, package));
    }
};

KELVARIN_TEST_GUILESS_MAIN(TestClassLocator)
#include "tst_classlocator.moc"
