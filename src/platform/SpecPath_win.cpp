#include "platform/SpecPath.h"

namespace kelvarin::SpecPath {

// Windows resolves names case-insensitively itself: nothing is listed, so
// nothing is kept.
void ForgetListings()
{
}

QString ToNative(const QString &specPath)
{
    return specPath;
}

} // namespace kelvarin::SpecPath
