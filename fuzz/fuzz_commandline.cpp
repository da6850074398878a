// The Windows command-line splitter and joiner: joined arguments split back
// into the same arguments, whatever they hold, also behind a quoted program.
#include "FuzzSupport.h"

#include "platform/WindowsCommandLine.h"

using namespace kelvarin;

namespace {

void CheckJoinSplits(const QStringList &arguments, const char *what)
{
    const QString joined = WindowsCommandLine::Join(arguments);
    const QStringList split = WindowsCommandLine::SplitArguments(joined);
    fuzz::Check(split == arguments, what,
                arguments.join(QLatin1String("\xc2\xa6")) + QLatin1String(" -> ") + joined
                    + QLatin1String(" -> ") + split.join(QLatin1String("\xc2\xa6")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = QString::fromUtf8(bytes);

    // A parameter text as stored: split, joined, split again.
    CheckJoinSplits(WindowsCommandLine::SplitArguments(text), "split arguments do not survive a join");
    // Arbitrary arguments (cut at NUL bytes).
    QStringList arguments;
    for (const QByteArray &piece : bytes.split('\0'))
        arguments.append(QString::fromUtf8(piece));
    if (bytes.isEmpty())
        arguments.clear();
    CheckJoinSplits(arguments, "joined arguments split into others");

    // A whole command line: the quoted program name (no quote in it) and the arguments.
    WindowsCommandLine::SplitCommand(text);
    if (!arguments.isEmpty() && !arguments.first().contains(QLatin1Char('"'))) {
        const QString line = QLatin1Char('"') + arguments.first() + QLatin1String("\" ")
            + WindowsCommandLine::Join(arguments.mid(1));
        fuzz::Check(WindowsCommandLine::SplitCommand(line) == arguments, "a command line splits into others", line);
    }
    return 0;
}
