// The UCC stand-in's source checker: any text gets a report whose fault
// lines lie within the text.
#include "FuzzSupport.h"

#include "SourceChecker.h"
#include "platform/TextFile.h"

using namespace kelvarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextFile::Decode(fuzz::Bytes(data, size));
    int lines = 1;   // line ends as the checker counts them: CR LF, CR or LF
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') || (text[i] == QLatin1Char('\r') && (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\n'))))
            ++lines;
    }
    const Standin::SourceReport report = Standin::CheckSource(text);
    fuzz::Check(report.declarationLine >= 0 && report.declarationLine <= lines, "the declaration line is outside the text");
    for (const Standin::SourceFault &fault : report.faults)
        fuzz::Check(fault.line >= 1 && fault.line <= lines && !fault.text.isEmpty(), "a fault outside the text",
                    QString::number(fault.line) + QLatin1Char(' ') + fault.text);
    fuzz::Check(!report.className.isEmpty() || !report.faults.isEmpty(), "no declaration and no fault");
    return 0;
}
