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
                                          const FilePickRequest &request) override;
    std::optional<QString> PickFile(QWidget *parent, const FilePickRequest &request,
                                    bool forSaving) override;
};

} // namespace kelvarin
