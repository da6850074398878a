#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace kelvarin {

// What a file picker is asked for: a title, filters as "description|
// patterns" pairs joined by "|" (the Windows form), a default extension, a
// proposed file name and a starting folder (empty: the picker's own default).
struct FilePickRequest
{
    QString title;
    QString filter;
    QString defaultExtension;
    QString proposedFile;
    QString startFolder;
};

// The file and directory pickers, behind a seam so tests can answer them.
// Every answer is empty (nothing) when the user cancels.
class Pickers
{
public:
    virtual ~Pickers() = default;
    // A directory picker without the option to create directories.
    virtual std::optional<QString> PickDirectory(QWidget *parent, const QString &caption,
                                                 const QString &startDir) = 0;
    // An existing file in an existing folder.
    virtual std::optional<QString> PickExecutable(QWidget *parent,
                                                  const FilePickRequest &request) = 0;
    // A file to open (it and its folder must exist) or to save to (its folder
    // must exist; replacing an existing file is confirmed first).
    virtual std::optional<QString> PickFile(QWidget *parent, const FilePickRequest &request,
                                            bool forSaving) = 0;
};

// Turns "Executable (*.exe)|*.exe|All files (*.*)|*.*" into Qt's name
// filters: each description keeps its words, its patterns are those of the
// pair (blank separated), and "*.*" means every file, as it does on Windows.
QStringList ToNameFilters(const QString &windowsFilter);

} // namespace kelvarin
