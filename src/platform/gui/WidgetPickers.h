#pragma once

#include "platform/gui/Pickers.h"

namespace kelvarin {

// The pickers as QFileDialog shows them.
class WidgetPickers : public Pickers
{
public:
    std::optional<QString> PickDirectory(QWidget *parent, const QString &caption,
                                         const QString &startDir) override;
    std::optional<QString> PickExecutable(QWidget *parent,
                                          const ExecutablePickRequest &request) override;
};

} // namespace kelvarin
