// SPDX-License-Identifier: MIT
// Spin edit page: three spin edits showing the range rule, read-only and
// step-only fields, and a stand-alone spin button driving a counter.
#include "pages.h"

#include "samples/cspin/cspinbutton.h"
#include "samples/cspin/cspinedit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <memory>

using quorvane::TCSpinButton;
using quorvane::TCSpinEdit;

QWidget* makeSpinPage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* ranged = new TCSpinEdit(page);
    ranged->SetMinValue(0);
    ranged->SetMaxValue(10);
    ranged->SetIncrement(5);
    ranged->SetValue(7);
    form->addRow(QStringLiteral("Range 0 to 10, step 5:"), ranged);

    auto* free = new TCSpinEdit(page);
    free->SetValue(-42);
    form->addRow(QStringLiteral("No range (MinValue = MaxValue):"), free);

    auto* stepOnly = new TCSpinEdit(page);
    stepOnly->SetEditorEnabled(false);
    stepOnly->SetMinValue(1);
    stepOnly->SetMaxValue(99);
    stepOnly->SetValue(12);
    form->addRow(QStringLiteral("Stepped only (EditorEnabled off):"), stepOnly);

    auto* readOnly = new TCSpinEdit(page);
    readOnly->SetValue(3);
    readOnly->SetReadOnly(true);
    form->addRow(QStringLiteral("Read-only (steps beep):"), readOnly);

    auto* row = new QHBoxLayout;
    auto* button = new TCSpinButton(page);
    button->SetTabStop(true);
    auto* counter = new QLabel(QStringLiteral("0"), page);
    counter->setMinimumWidth(60);
    QObject::connect(button, &TCSpinButton::OnUpClick, counter, [counter](TCSpinButton*) {
        counter->setNum(counter->text().toInt() + 1);
    });
    QObject::connect(button, &TCSpinButton::OnDownClick, counter, [counter](TCSpinButton*) {
        counter->setNum(counter->text().toInt() - 1);
    });
    row->addWidget(new QLabel(QStringLiteral("Spin button (hold to repeat):"), page));
    row->addWidget(button);
    row->addWidget(counter);
    row->addStretch();
    layout->addLayout(row);

    auto* beeps = new QLabel(page);
    // One count for all four fields.
    auto count = std::make_shared<int>(0);
    for (TCSpinEdit* edit : {ranged, free, stepOnly, readOnly}) {
        edit->setMaximumWidth(160);
        QObject::connect(edit, &TCSpinEdit::beeped, beeps, [beeps, count] {
            beeps->setText(QStringLiteral("Beep %1").arg(++*count));
        });
    }
    layout->addWidget(beeps);
    layout->addStretch();
    return page;
}
