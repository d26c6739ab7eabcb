// SPDX-License-Identifier: MIT
// Directory outline page: the tree of the file system from the root down to
// the current directory, with a field to jump to another directory and the
// case rule.
#include "pages.h"

#include "samples/cdiroutl/cdirectoryoutline.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using quorvane::TCDirectoryOutline;
using quorvane::TTextCase;

QWidget* makeDirectoryOutlinePage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* outline = new TCDirectoryOutline(page);
    auto* status = new QLabel(page);

    auto* controls = new QHBoxLayout;
    auto* path = new QLineEdit(QDir::homePath(), page);
    auto* go = new QPushButton(QStringLiteral("Go"), page);
    auto* textCase = new QComboBox(page);
    textCase->addItem(QStringLiteral("Lower case"), static_cast<int>(TTextCase::tcLowerCase));
    textCase->addItem(QStringLiteral("Upper case"), static_cast<int>(TTextCase::tcUpperCase));
    textCase->addItem(QStringLiteral("As is"), static_cast<int>(TTextCase::tcAsIs));
    controls->addWidget(new QLabel(QStringLiteral("Directory:"), page));
    controls->addWidget(path, 1);
    controls->addWidget(go);
    controls->addWidget(textCase);

    auto showDirectory = [status, outline] {
        status->setText(QStringLiteral("Current directory: %1").arg(outline->Directory()));
    };
    auto jump = [outline, path, status] {
        try {
            outline->SetDirectory(path->text());
        } catch (const std::exception& error) {
            status->setText(QString::fromLocal8Bit(error.what()));
        }
    };
    QObject::connect(go, &QPushButton::clicked, outline, jump);
    QObject::connect(path, &QLineEdit::returnPressed, outline, jump);
    QObject::connect(textCase, &QComboBox::currentIndexChanged, outline, [outline, textCase, status](int) {
        try {
            outline->SetTextCase(static_cast<TTextCase>(textCase->currentData().toInt()));
        } catch (const std::exception& error) {
            status->setText(QString::fromLocal8Bit(error.what()));
        }
    });
    QObject::connect(outline, &TCDirectoryOutline::OnChange, status,
                     [showDirectory](TCDirectoryOutline*) { showDirectory(); });
    QObject::connect(outline, &TCDirectoryOutline::failed, status,
                     [status](const QString& message) { status->setText(message); });
    showDirectory();
    jump();

    layout->addLayout(controls);
    layout->addWidget(outline, 1);
    layout->addWidget(status);
    return page;
}
