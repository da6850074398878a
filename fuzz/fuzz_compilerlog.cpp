// The compile log: read from the file in both views; the verdict never
// depends on the view, and the parsed view ends with it.
#include "FuzzSupport.h"

#include "tools/CompilerLog.h"

using namespace kelvarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fuzz::Scratch &scratch =
        fuzz::ScratchWith(QStringLiteral("System/") + QLatin1String(CompilerLog::FileName), fuzz::Bytes(data, size));

    CompilerLog parsedLog;
    const CompilerLog::View parsed = parsedLog.LoadLog(scratch.Base(), true);
    CompilerLog rawLog;
    const CompilerLog::View raw = rawLog.LoadLog(scratch.Base(), false);
    fuzz::Check(parsed.opened && raw.opened, "the log was not read");
    fuzz::Check(parsed.empty == raw.empty, "the views disagree on an empty log");
    fuzz::Check(parsedLog.ErrorsFound() == rawLog.ErrorsFound(), "the views disagree on the verdict");
    fuzz::Check(!parsed.lines.isEmpty(), "the parsed view shows nothing");
    if (!parsed.empty) {
        const QLatin1String verdict(parsedLog.ErrorsFound() ? CompilerLog::ErrorsLine : CompilerLog::SuccessLine);
        fuzz::Check(parsed.lines.last() == verdict, "the parsed view does not end with the verdict");
        fuzz::Check(parsed.lines.size() <= raw.lines.size() + 1, "the parsed view has more lines than the log");
    }
    return 0;
}
