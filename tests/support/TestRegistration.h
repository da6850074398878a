#pragma once

// Every tst_*.cpp of a tests/ folder is built into one program for that
// folder. A file registers its test class with one of the macros below, in
// place of Qt's QTEST_MAIN, QTEST_GUILESS_MAIN and QTEST_APPLESS_MAIN, and the
// shared main (TestMain.cpp) runs the class named on the command line:
//     build/tests/tests_model tst_scanner [Qt Test's arguments]
// Each macro does what the Qt macro of the same name does in its main: the
// same application object (QApplication when the program links the widgets
// library, QCoreApplication otherwise, none for the APPLESS one), the class's
// initMain(), and the source path QFINDTESTDATA looks in.
// The test programs get this header, with the paths of the programs the
// tests start, through their shared precompiled header (tests/CMakeLists.txt).

#include <QtTest/qtest.h>

namespace kelvarin::test {

using TestRun = int (*)(int argc, char **argv);

// Adds a test class to the program's list; made by the macros below while
// the program starts, before main.
struct TestRegistration
{
    TestRegistration(const char *className, const char *sourceFile, TestRun run);
};

} // namespace kelvarin::test

#define KELVARIN_TEST_REGISTER(TestObject, ...)                                                  \
    namespace {                                                                                  \
    int KelvarinTestRun_##TestObject(int argc, char *argv[])                                     \
    {                                                                                            \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();                       \
        __VA_ARGS__                                                                              \
        TestObject tc;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                               \
        return QTest::qExec(&tc, argc, argv);                                                    \
    }                                                                                            \
    const kelvarin::test::TestRegistration KelvarinTestRegistration_##TestObject(                \
        #TestObject, __FILE__, KelvarinTestRun_##TestObject);                                    \
    }

#define KELVARIN_TEST_MAIN(TestObject) KELVARIN_TEST_REGISTER(TestObject, QTEST_MAIN_SETUP())
#define KELVARIN_TEST_GUILESS_MAIN(TestObject) \
    KELVARIN_TEST_REGISTER(TestObject, QTEST_QAPP_SETUP(QCoreApplication))
#define KELVARIN_TEST_APPLESS_MAIN(TestObject) KELVARIN_TEST_REGISTER(TestObject)
