#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace kelvarin {

class StagedFile;

// Files that belong together and must change together: each is first written
// in full beside its target under a temporary name; only when every one is
// written are they put in place, one right after the other, in the order they
// were staged (stage the file that marks the set as complete last). A target
// that already holds its bytes is not written again. A failure before the
// renames leaves every target as it was; temporaries never outlive the
// writer.
class FileSetWriter
{
public:
    FileSetWriter();
    ~FileSetWriter();
    FileSetWriter(const FileSetWriter &) = delete;
    FileSetWriter &operator=(const FileSetWriter &) = delete;

    // Writes bytes to a temporary file beside specPath's target. False when
    // that fails or the target is a directory; the writer then holds nothing.
    bool Stage(const QString &specPath, const QByteArray &bytes);
    // Renames every staged file over its target. False when a rename fails;
    // the files after it are not put in place, and failedSpecPath (when
    // given) names the file that failed.
    bool Commit(QString *failedSpecPath = nullptr);
    // Drops every temporary file.
    void Discard();

private:
    struct Entry
    {
        QString specPath;
        std::unique_ptr<StagedFile> file;
    };
    std::vector<Entry> m_entries;
};

} // namespace kelvarin
