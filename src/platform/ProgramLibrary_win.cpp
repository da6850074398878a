#include "platform/ProgramLibrary.h"

#include <cstdio>
#include <cwchar>
#include <windows.h>

namespace kelvarin {

namespace {

constexpr std::size_t kPathLength = 32768;   // the longest path Windows takes

// Appends text (UTF-8) to path, with '/' turned into '\'; false when it does
// not fit.
bool Append(wchar_t *path, const char *text)
{
    const std::size_t used = std::wcslen(path);
    const int room = static_cast<int>(kPathLength - used);
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, path + used, room) <= 0)
        return false;
    for (wchar_t *c = path + used; *c; ++c) {
        if (*c == L'/')
            *c = L'\\';
    }
    return true;
}

void Narrow(const wchar_t *wide, char *text, int size)
{
    if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, size, nullptr, nullptr) <= 0)
        text[0] = '\0';
}

} // namespace

ProgramEntry LoadProgramEntry(const char *fileName, const char *installedFolder, const char *entryName,
                              char *why, std::size_t whySize)
{
    static wchar_t path[kPathLength];
    const DWORD length = GetModuleFileNameW(nullptr, path, kPathLength);
    wchar_t *slash = length > 0 && length < kPathLength ? std::wcsrchr(path, L'\\') : nullptr;
    if (!slash) {
        std::snprintf(why, whySize, "cannot load %s: the program's own path is unknown", fileName);
        return nullptr;
    }
    slash[1] = L'\0';
    const std::size_t folderLength = std::wcslen(path);

    // Beside the program, or in the private folder once installed.
    bool fits = Append(path, fileName);
    if (fits && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        path[folderLength] = L'\0';
        fits = Append(path, installedFolder) && Append(path, "/") && Append(path, fileName);
    }
    if (!fits) {
        std::snprintf(why, whySize, "cannot load %s: the path is too long", fileName);
        return nullptr;
    }
    HMODULE library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    FARPROC entry = library ? GetProcAddress(library, entryName) : nullptr;
    if (!entry) {
        wchar_t reason[512];
        if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(),
                           0, reason, 512, nullptr) == 0)
            reason[0] = L'\0';
        for (std::size_t end = std::wcslen(reason); end > 0 && (reason[end - 1] == L'\r' || reason[end - 1] == L'\n');)
            reason[--end] = L'\0';
        static char narrowPath[kPathLength * 3];
        char narrowReason[1536];
        Narrow(path, narrowPath, static_cast<int>(sizeof narrowPath));
        Narrow(reason, narrowReason, static_cast<int>(sizeof narrowReason));
        std::snprintf(why, whySize, "cannot load %s: %s", narrowPath, narrowReason);
        return nullptr;
    }
    return reinterpret_cast<ProgramEntry>(reinterpret_cast<void (*)()>(entry));
}

} // namespace kelvarin
