#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace kelvarin {

// A file written beside its target under a temporary name and put in place
// by one rename, so that a crash or a full disk never leaves half a file,
// and several files can be written first and put in place one right after
// the other.
//
// Every write is checked down to the last byte and the close: QSaveFile is
// not used because it commits (and so replaces the target with a short or
// empty file) even when the data could not be flushed.
class StagedFile
{
public:
    // native: the target's native path.
    explicit StagedFile(const QString &native);
    // Removes the temporary file unless it was put in place.
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // Writes bytes to a new temporary file in the target's directory, with
    // the target's permissions when it exists. False on any failure; the
    // temporary file is then gone.
    bool Write(const QByteArray &bytes);
    // Gives the written temporary file these permissions, so that the file
    // has them from the moment it is in place. False when that fails.
    bool SetPermissions(QFileDevice::Permissions permissions);
    // Renames the written temporary file over the target. False when that
    // fails; the target is then as it was.
    bool Commit();
    // Drops the temporary file.
    void Discard();

    QString Target() const { return m_target; }
    // True when the target is a file that holds exactly these bytes.
    bool TargetHolds(const QByteArray &bytes) const;

    // Write and Commit in one.
    static bool WriteFile(const QString &native, const QByteArray &bytes);
    // WriteFile, unless the file there already holds exactly these bytes:
    // then it is left as it is. Writing many files over their earlier copies
    // costs a flush of each on some file systems (ext4 writes a renamed-over
    // file's data out at once), which an unchanged file does not need.
    static bool WriteFileIfChanged(const QString &native, const QByteArray &bytes);

private:
    QString m_target;
    QString m_temporary;
};

} // namespace kelvarin
