#include "UccKnobs.h"

#include <QFile>
#include <QThread>

#include <cstdlib>

namespace kelvarin::Standin {

namespace {

bool Flag(const char *name)
{
    const QByteArray value = qgetenv(name).trimmed();
    return !value.isEmpty() && value != "0";
}

} // namespace

UccKnobs UccKnobs::FromEnvironment()
{
    UccKnobs knobs;
    bool ok = false;
    const int delay = qgetenv("KELVARIN_UCC_DELAY_MS").trimmed().toInt(&ok);
    knobs.delayMs = ok && delay > 0 ? delay : 0;
    knobs.hang = Flag("KELVARIN_UCC_HANG");
    knobs.crashMidWrite = Flag("KELVARIN_UCC_CRASH_MIDWRITE");
    knobs.partialU = Flag("KELVARIN_UCC_PARTIAL_U");
    return knobs;
}

void HangForever()
{
    for (;;)
        QThread::sleep(3600);
}

void SleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

void MaybeFailMidWrite(const UccKnobs &knobs, const QString &nativePath, const QByteArray &bytes,
                       bool allowPartial)
{
    const bool partial = allowPartial && knobs.partialU;
    if (!knobs.crashMidWrite && !partial)
        return;
    QFile file(nativePath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes.left(bytes.size() / 2));
        file.flush();
        file.close();
    }
    if (knobs.crashMidWrite)
        std::abort();
    HangForever();
}

} // namespace kelvarin::Standin
