#pragma once

#include "platform/Shell.h"

#include <QObject>

#include <memory>

namespace kelvarin {

// The shell of the running system. "open" of a document first runs the
// command its association names (the lookup given to the constructor);
// without one, Windows uses the shell's own choice and Linux xdg-open,
// watched off the user-interface thread (its answers 2 "not found", 3 and 4
// "no program"). On Linux the associated program is found on PATH, and a
// Windows program runs through wine; "open" of a program goes to
// GamePrograms; "Explore" hands the folder to xdg-open.
// Use it on the thread it was made on: answers arrive through that thread's
// event loop. Destroying it never waits for a helper program; answers still
// outstanding then are dropped, never delivered.
class SystemShell : public QObject, public Shell
{
    Q_OBJECT

public:
    // association answers the command stored for opening a document
    // (FileAssociation::OpenCommandFor over the registry); empty: none.
    explicit SystemShell(AssociationLookup association = {}, QObject *parent = nullptr);
    ~SystemShell() override;

    void Open(const ShellRequest &request, ShellAnswer answer) override;
    void OpenInTextEditor(const QString &specFile, ShellAnswer answer, int line = 0) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kelvarin
