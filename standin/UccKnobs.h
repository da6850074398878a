#pragma once

#include <QByteArray>
#include <QString>

// Environment variables that steer the UCC stand-in into the failure paths a
// caller must survive. Unset, empty or "0" means off.
//   KELVARIN_UCC_DELAY_MS=N      make sleeps N ms before each package it
//                                checks; BatchExport once before exporting
//   KELVARIN_UCC_HANG=1          make hangs right after opening its log (one
//                                line written); BatchExport before writing
//                                anything; both until killed
//   KELVARIN_UCC_CRASH_MIDWRITE=1  writes the first half of the first file it
//                                would write (a .u, or an exported .uc)
//                                straight to its place, then aborts (SIGABRT)
//   KELVARIN_UCC_PARTIAL_U=1     make writes the first half of the first .u
//                                straight to its place, then hangs until
//                                killed: a cancelled compile that left a
//                                truncated file
namespace kelvarin::Standin {

struct UccKnobs
{
    int delayMs = 0;
    bool hang = false;
    bool crashMidWrite = false;
    bool partialU = false;

    static UccKnobs FromEnvironment();
};

// Sleeps until the process is killed.
[[noreturn]] void HangForever();

void SleepMs(int ms);

// Writes the first half of bytes to nativePath directly (no temporary file),
// flushed to the file system, then aborts or hangs as the knobs say. Returns
// only when neither knob is set.
void MaybeFailMidWrite(const UccKnobs &knobs, const QString &nativePath, const QByteArray &bytes,
                       bool allowPartial);

} // namespace kelvarin::Standin
