// SPDX-License-Identifier: MIT
#include "history/savefilechooser.h"

#include <QDir>
#include <QFileDialog>

namespace quorvane {

SaveFileChooser::~SaveFileChooser() = default;

namespace {

class DialogSaveFileChooser : public SaveFileChooser {
public:
    std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedName,
                                          const QString& filter) override
    {
        const QString path
            = QFileDialog::getSaveFileName(parent, caption, QDir::home().filePath(suggestedName), filter);
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }
};

} // namespace

std::unique_ptr<SaveFileChooser> makeDialogSaveFileChooser()
{
    return std::make_unique<DialogSaveFileChooser>();
}

} // namespace quorvane
