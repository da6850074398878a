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
    if (QFileInfo(native).isDir()) {
        Discard();
        return false;
    }
    // A target that already holds these bytes is left as it is: replacing
    // a file costs a flush of its data on some file systems (ext4 writes a
    // renamed-over file out at once), and saving an unchanged set again is
    // common.
    if (file->TargetHolds(bytes))
        return true;
    if (!file->Write(bytes)) {
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
