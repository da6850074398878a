#include "platform/FileSystem.h"
#include "platform/FileSystem_p.h"

#include "platform/BackgroundThread.h"
#include "platform/EventPump.h"
#include "platform/SpecPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <future>
#include <system_error>


namespace kelvarin::FileSystem {

namespace Detail {

SplitPattern Split(const QString &specPattern)
{
    const qsizetype cut = std::max(specPattern.lastIndexOf(QLatin1Char('\\')),
                                   specPattern.lastIndexOf(QLatin1Char('/')));
    SplitPattern result;
    if (cut < 0) {
        result.dir = QStringLiteral(".");
        result.pattern = specPattern;
    } else {
        const QString dirPart = specPattern.left(cut + 1);
        result.dir = SpecPath::ToNative(dirPart);
        if (result.dir.isEmpty())
            result.dir = QStringLiteral("/");
        result.pattern = specPattern.mid(cut + 1);
    }
    return result;
}

Listing StartListing(const SplitPattern &split)
{
    Listing result;
    result.nativeDir = split.dir;
    if (!result.nativeDir.endsWith(QLatin1Char('/')))
        result.nativeDir += QLatin1Char('/');
    return result;
}

namespace {

bool SameLetter(QChar a, QChar b)
{
    if (a == b)
        return true;
    const char16_t x = a.unicode();
    const char16_t y = b.unicode();
    if (x < 0x80 && y < 0x80)
        return (x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' && (x | 0x20) <= 'z';
    return a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool WildcardMatch(QStringView name, QStringView pattern)
{
    // A star and a plain ending ("*.uc", every listing of sources): the
    // name's end is compared, without the general walk.
    const QStringView ending = pattern.mid(1);
    if (pattern.startsWith(QLatin1Char('*')) && !ending.isEmpty() && !ending.contains(QLatin1Char('*'))
        && !ending.contains(QLatin1Char('?'))) {
        if (name.size() < ending.size())
            return false;
        const QStringView end = name.last(ending.size());
        for (qsizetype at = 0; at < ending.size(); ++at)
            if (!SameLetter(ending[at], end[at]))
                return false;
        return true;
    }
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace Detail

namespace {

// AnyMatch, first asking for the likely name by itself: one lookup instead of
// reading a whole directory.
bool AnyMatchLikely(const QString &specPattern, const QString &likelyName)
{
    if (SpecPath::IsSafeComponent(likelyName)) {
        const Detail::SplitPattern split = Detail::Split(specPattern);
        if (!split.pattern.isEmpty() && Detail::WildcardMatch(likelyName, split.pattern)) {
            const QFileInfo entry(Detail::StartListing(split).nativeDir + likelyName);
            if (entry.exists() || entry.isSymLink())
                return true;
        }
    }
    return AnyMatch(specPattern);
}

} // namespace

std::vector<char> AnyMatchEach(const QStringList &specPatterns, EventPump &pump, const QStringList &likelyNames)
{
    const qsizetype count = specPatterns.size();
    std::vector<char> answers(size_t(count), 0);
    std::atomic<bool> stop{false};
    // A few directories are listed faster than threads start. Otherwise
    // every thread, this one too, takes the next directory not yet taken:
    // this one handles its events between directories and, when none is
    // left, waits only for the ones the helpers are listing.
    const int cores = QThread::idealThreadCount();
    const int threads = count >= 32 && cores > 1 ? std::min(cores, 4) : 1;
    std::atomic<qsizetype> next{0};
    const auto answer = [&](qsizetype at) {
        answers[size_t(at)] = AnyMatchLikely(specPatterns.at(at), likelyNames.value(at)) ? 1 : 0;
    };
    // (A helper's future waits for it on every way out of here.)
    std::vector<std::future<void>> helpers;
    for (int which = 1; which < threads; ++which) {
        try {
            helpers.push_back(std::async(std::launch::async, [&] {
                BackgroundThread::LowerPriority();
                for (qsizetype at = next++; at < count && !stop.load(std::memory_order_relaxed); at = next++)
                    answer(at);
            }));
        } catch (const std::system_error &) {
            break;   // no more threads: this one takes their directories
        }
    }
    for (qsizetype at = next++; at < count; at = next++) {
        pump.Pump();
        if (pump.Terminating()) {
            stop = true;
            break;
        }
        answer(at);
    }
    // A helper at its lower priority may wait for the cores a while before
    // it finishes its last directory.
    for (std::future<void> &helper : helpers)
        WaitPumping(helper, pump);
    if (stop)
        std::fill(answers.begin(), answers.end(), 0);
    return answers;
}

bool FileExists(const QString &specPath)
{
    const QFileInfo info(SpecPath::ToNative(specPath));
    return info.exists() && !info.isDir();
}

bool DirExists(const QString &specPath)
{
    return QFileInfo(SpecPath::ToNative(specPath)).isDir();
}

bool RemoveFile(const QString &specPath)
{
    const QString native = SpecPath::ToNative(specPath);
    const QFileInfo info(native);
    if (!info.exists() || info.isDir())
        return false;
    const bool ok = QFile::remove(native);
    SpecPath::ForgetListings();
    return ok;
}

bool RemoveDir(const QString &specPath)
{
    QString native = SpecPath::ToNative(specPath);
    while (native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    const bool ok = QDir().rmdir(native);
    SpecPath::ForgetListings();
    return ok;
}

bool MakeDir(const QString &specPath)
{
    const bool ok = QDir().mkdir(SpecPath::ToNative(specPath));
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin::FileSystem
