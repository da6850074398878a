#include "platform/FileSetWriter.h"

#include "platform/SpecPath.h"
#include "platform/StagedFile.h"

#include <QFileInfo>

namespace kelvarin {

FileSetWriter::FileSetWriter() = default;

FileSetWriter::~FileSetWriter()
{
    Discard();
}

void FileSetWriter::Discard()
{
    m_entries.clear();   // each StagedFile removes its temporary file
}

bool FileSetWriter::Stage(const QString &specPath, const QByteArray &bytes)
{
    const QString native = SpecPath::ToNative(specPath);
    // A rename over a directory fails: found now, no file has been replaced.
    auto file = std::make_unique<StagedFile>(native);
    if (QFileInfo(native).isDir() || !file->Write(bytes)) {
        Discard();
        return false;
    }
    m_entries.push_back({specPath, std::move(file)});
    return true;
}

bool FileSetWriter::Commit(QString *failedSpecPath)
{
    bool ok = true;
    for (Entry &entry : m_entries) {
        if (!entry.file->Commit()) {
            if (failedSpecPath)
                *failedSpecPath = entry.specPath;
            ok = false;
            break;
        }
    }
    Discard();
    SpecPath::ForgetListings();
    return ok;
}

} // namespace kelvarin
