// SPDX-License-Identifier: MIT
#include "pages.h"

#include "samples/cgauges/cgauge.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <vector>

using quorvane::TCGauge;

QWidget* makeGaugePage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    struct Form {
        quorvane::TCGaugeKind kind;
        const char* name;
    };
    const Form forms[] = {{quorvane::gkText, "Text"},
                          {quorvane::gkHorizontalBar, "Horizontal bar"},
                          {quorvane::gkVerticalBar, "Vertical bar"},
                          {quorvane::gkPie, "Pie"},
                          {quorvane::gkNeedle, "Needle"}};
    std::vector<TCGauge*> gauges;
    int column = 0;
    for (const Form& form : forms) {
        auto* gauge = new TCGauge(page);
        gauge->SetKind(form.kind);
        gauge->SetForeColor(QColor(0, 0, 160));
        gauge->setMinimumSize(110, 110);
        grid->addWidget(new QLabel(QString::fromLatin1(form.name), page), 0, column);
        grid->addWidget(gauge, 1, column);
        gauges.push_back(gauge);
        ++column;
    }

    auto* slider = new QSlider(Qt::Horizontal, page);
    slider->setRange(0, 100);
    auto* showText = new QCheckBox(QStringLiteral("Show text"), page);
    showText->setChecked(true);
    layout->addWidget(new QLabel(QStringLiteral("Progress (0 to 100):"), page));
    layout->addWidget(slider);
    layout->addWidget(showText);
    layout->addStretch(1);

    QObject::connect(slider, &QSlider::valueChanged, page, [gauges](int value) {
        for (TCGauge* gauge : gauges)
            gauge->SetProgress(value);
    });
    QObject::connect(showText, &QCheckBox::toggled, page, [gauges](bool on) {
        for (TCGauge* gauge : gauges)
            gauge->SetShowText(on);
    });
    slider->setValue(62);
    return page;
}
