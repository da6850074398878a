#pragma once

#include <functional>

namespace kelvarin {

class CompileRunner;
class PackageExporter;

// A compile and an export both run UCC.exe on the same game directory, and
// two UCCs at once write over each other's files: the gate lets one run at
// a time. Each tool asks the gate whether the other runs before it starts;
// the window greys its compile commands while the gate is closed.
class UccGate
{
public:
    using BusyTest = std::function<bool()>;

    // A gate over the two tools' own busy states.
    UccGate(BusyTest compiling, BusyTest exporting);
    // The same over a compile runner and an exporter, wired to ask the gate:
    // a compile refuses while an export runs and the other way round. The
    // runner's busy changes reach Update by themselves; the exporter's must
    // be passed on (its busy handler belongs to the exporter window).
    UccGate(CompileRunner &runner, PackageExporter &exporter);

    // What each tool asks before it starts: does the other one run?
    bool ExportRuns() const { return m_exporting(); }
    bool CompileRuns() const { return m_compiling(); }
    // True while neither tool runs UCC: a compile may start.
    bool Open() const { return !m_compiling() && !m_exporting(); }

    // Told whenever Open changes, with its new value.
    void SetOpenChanged(std::function<void(bool open)> changed) { m_changed = std::move(changed); }
    // Reads both tools again after one of them started or ended.
    void Update();

private:
    BusyTest m_compiling;
    BusyTest m_exporting;
    std::function<void(bool)> m_changed;
    bool m_open = true;
};

} // namespace kelvarin
