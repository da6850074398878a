#pragma once

#include "platform/gui/Pickers.h"

#include <QList>

namespace kelvarin::test {

// Pickers that record what they were asked and answer from a script.
class ScriptedPickers : public Pickers
{
public:
    std::optional<QString> PickDirectory(QWidget *, const QString &caption,
                                         const QString &startDir) override
    {
        directoryCaption = caption;
        directoryStart = startDir;
        ++calls;
        return directoryAnswer;
    }
    std::optional<QString> PickExecutable(QWidget *, const FilePickRequest &r) override
    {
        request = r;
        ++calls;
        return executableAnswer;
    }
    std::optional<QString> PickFile(QWidget *, const FilePickRequest &r, bool forSaving) override
    {
        request = r;
        savingAsked.append(forSaving);
        ++calls;
        return fileAnswer;
    }

    int calls = 0;
    QString directoryCaption;
    QString directoryStart;
    std::optional<QString> directoryAnswer;
    FilePickRequest request;
    std::optional<QString> executableAnswer;
    std::optional<QString> fileAnswer;
    QList<bool> savingAsked;
};

} // namespace kelvarin::test
