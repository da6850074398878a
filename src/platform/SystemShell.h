#pragma once

#include "platform/Shell.h"

#include <QObject>

#include <memory>

namespace kelvarin {

// The shell of the running system. On Linux: "open" of a document first runs
// the command stored for its extension (split by the Windows rules, "%1"
// replaced by the path, the path appended when there is no "%1"); otherwise
// xdg-open, watched off the user-interface thread (its answers 2 "not
// found", 3 and 4 "no program"); "open" of a program goes to GamePrograms;
// "Explore" hands the folder to xdg-open.
// Use it on the thread it was made on: answers arrive through that thread's
// event loop. Destroying it never waits for a helper program; answers still
// outstanding then are dropped, never delivered.
class SystemShell : public QObject, public Shell
{
    Q_OBJECT

public:
    // associationFor(".uc") answers the open command stored for files with
    // that extension ("gedit \"%1\""), or empty when there is none.
    explicit SystemShell(std::function<QString(const QString &extension)> associationFor = {},
                         QObject *parent = nullptr);
    ~SystemShell() override;

    void Open(const ShellRequest &request, ShellAnswer answer) override;
    void OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line = 0) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelvarin
