#include "platform/ProgramLibrary.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace kelvarin {

ProgramEntry LoadProgramEntry(const char *fileName, const char *installedFolder, const char *entryName,
                              char *why, std::size_t whySize)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0)
        self[length] = '\0';
    char *slash = length > 0 ? std::strrchr(self, '/') : nullptr;
    if (!slash) {
        std::snprintf(why, whySize, "cannot load %s: the program's own path is unknown", fileName);
        return nullptr;
    }
    *slash = '\0';

    // Beside the program in the build tree, in the private folder once installed.
    char path[PATH_MAX];
    int written = std::snprintf(path, sizeof path, "%s/%s", self, fileName);
    if (written >= 0 && static_cast<std::size_t>(written) < sizeof path && access(path, F_OK) != 0)
        written = std::snprintf(path, sizeof path, "%s/%s/%s", self, installedFolder, fileName);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof path) {
        std::snprintf(why, whySize, "cannot load %s: the path is too long", fileName);
        return nullptr;
    }
    // Functions are bound on first call, as they were when the program was
    // one executable: binding all of Qt's up front cost every run a millisecond.
    void *library = dlopen(path, RTLD_LAZY | RTLD_LOCAL);
    void *entry = library ? dlsym(library, entryName) : nullptr;
    if (!entry) {
        const char *reason = dlerror();
        std::snprintf(why, whySize, "cannot load %s: %s", path, reason ? reason : "no entry point");
        return nullptr;
    }
    return reinterpret_cast<ProgramEntry>(entry);
}

} // namespace kelvarin
