#include "tools/UccGate.h"

#include "tools/CompileRunner.h"
#include "tools/PackageExporter.h"

namespace kelvarin {

UccGate::UccGate(BusyTest compiling, BusyTest exporting)
    : m_compiling(std::move(compiling)),
      m_exporting(std::move(exporting))
{
    m_open = Open();
}

UccGate::UccGate(CompileRunner &runner, PackageExporter &exporter)
    : UccGate([&runner] { return runner.Busy(); }, [&exporter] { return exporter.Busy(); })
{
    runner.SetOtherBusy([this] { return ExportRuns(); });
    exporter.SetOtherToolBusy([this] { return CompileRuns(); });
    runner.SetBusyChanged([this](bool) { Update(); });
}

void UccGate::Update()
{
    const bool open = Open();
    if (open == m_open)
        return;
    m_open = open;
    if (m_changed)
        m_changed(open);
}

} // namespace kelvarin
