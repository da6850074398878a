#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kelvarin::test {

// A throw-away game directory for tests. Paths given to the helpers are
// relative to it and use "/"; Base() is the directory as the program's
// BaseDir option would hold it.
class GameDir
{
public:
    GameDir();
    bool IsValid() const { return m_dir.isValid(); }
    QString Base() const { return m_dir.path(); }
    QString Native(const QString &relative) const;

    // Writes bytes as they are.
    void WriteBytes(const QString &relative, const QByteArray &bytes) const;
    // Writes text as Latin-1 with the given line ends between and after lines.
    void WriteText(const QString &relative, const QString &text) const;
    // Writes Classes/<file> of a package with one declaration line.
    void WriteClass(const QString &package, const QString &fileName, const QString &declaration) const;
    void MakeDir(const QString &relative) const;
    // Copies tests/data/<data>, a file or a whole directory, to relative.
    void CopyData(const QString &data, const QString &relative) const;
    QByteArray Read(const QString &relative) const;
    // The bytes of the file tests/data/<data>; a missing one ends the test.
    static QByteArray Data(const QString &data);
    bool Exists(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

} // namespace kelvarin::test
