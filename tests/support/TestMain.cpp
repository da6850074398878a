// The main of the test programs: runs the one test class named by the first
// argument, with the remaining arguments, as that class's own program did.
// CTest starts every class of a program as a process of its own, so no class
// sees what another left behind (environment variables, the default locale,
// static caches, the application object).

#include "support/TestRegistration.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kelvarin::test {
namespace {

struct RegisteredTest
{
    const char *className;
    std::string fileName;   // the source's name without folder and extension
    TestRun run;
};

std::vector<RegisteredTest> &RegisteredTests()
{
    static std::vector<RegisteredTest> tests;
    return tests;
}

std::string FileStem(const char *path)
{
    std::string name(path);
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const auto dot = name.find('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

int Usage(const char *program, const char *unknown)
{
    if (unknown)
        std::fprintf(stderr, "%s: no test named %s\n", program, unknown);
    std::fprintf(stderr, "Usage: %s TEST [Qt Test arguments]\nTEST is one of (file or class name):\n", program);
    for (const RegisteredTest &test : RegisteredTests())
        std::fprintf(stderr, "  %s  (%s)\n", test.fileName.c_str(), test.className);
    return 2;
}

} // namespace

TestRegistration::TestRegistration(const char *className, const char *sourceFile, TestRun run)
{
    RegisteredTests().push_back({className, FileStem(sourceFile), run});
}

} // namespace kelvarin::test

int main(int argc, char *argv[])
{
    using namespace kelvarin::test;
    if (argc < 2 || argv[1][0] == '-')
        return Usage(argv[0], nullptr);
    for (const RegisteredTest &test : RegisteredTests()) {
        if (test.fileName != argv[1] && std::strcmp(test.className, argv[1]) != 0)
            continue;
        // The class sees the command line without its name, as in a program of its own.
        std::vector<char *> arguments{argv[0]};
        arguments.insert(arguments.end(), argv + 2, argv + argc);
        arguments.push_back(nullptr);
        return test.run(int(arguments.size()) - 1, arguments.data());
    }
    return Usage(argv[0], argv[1]);
}
