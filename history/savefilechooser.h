// SPDX-License-Identifier: MIT
#pragma once
// The dialog that asks where to save a file, behind an interface so that
// tests answer it themselves and never open a window.

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace quorvane {

class SaveFileChooser {
public:
    virtual ~SaveFileChooser();
    /// Asks for a file to save to, suggesting `suggestedName`; nullopt when cancelled.
    virtual std::optional<QString> chooseSaveFile(QWidget* parent, const QString& caption,
                                                  const QString& suggestedName, const QString& filter) = 0;
};

/// The desktop's own save dialog (QFileDialog).
std::unique_ptr<SaveFileChooser> makeDialogSaveFileChooser();

} // namespace quorvane
