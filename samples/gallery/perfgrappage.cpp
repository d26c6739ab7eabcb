// SPDX-License-Identifier: MIT
#include "pages.h"

#include "samples/perfgrap/perfgrap.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

using quorvane::TPerformanceGraph;

namespace {

// Three demo series: a slow wave, a faster one and a sawtooth, in the
// graph's own units.
struct DemoSeries {
    int tick = 0;
    int load(int series) const
    {
        const double t = tick * 0.08;
        switch (series) {
        case 0: return static_cast<int>(180 + 150 * std::sin(t));
        case 1: return static_cast<int>(420 + 90 * std::sin(t * 2.7 + 1.0));
        default: return 600 + (tick * 7) % 250;
        }
    }
};

TPerformanceGraph* makeGraph(quorvane::TGraphKind kind, QWidget* parent)
{
    auto* graph = new TPerformanceGraph(parent);
    graph->SetKind(kind);
    graph->setMinimumHeight(120);
    graph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return graph;
}

} // namespace

QWidget* makePerformanceGraphPage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);

    auto* lines = makeGraph(quorvane::pgLine, page);
    auto* bars = makeGraph(quorvane::pgBar, page);
    bars->SetStepSize(5);
    bars->SetForeColor(QColor(60, 60, 90));
    auto* scale = new QLabel(page);

    layout->addWidget(new QLabel(QStringLiteral("Lines (three series, step 3):"), page));
    layout->addWidget(lines, 1);
    layout->addWidget(new QLabel(QStringLiteral("Stacked bars (step 5):"), page));
    layout->addWidget(bars, 1);
    layout->addWidget(scale);

    const QColor colors[] = {QColor(255, 80, 80), QColor(255, 220, 0), QColor(80, 170, 255)};
    auto showScale = [scale, lines, bars] {
        scale->setText(QStringLiteral("Scale: lines %1, bars %2").arg(lines->GetScale()).arg(bars->GetScale()));
    };
    QObject::connect(lines, &TPerformanceGraph::OnScaleChange, scale, showScale);
    QObject::connect(bars, &TPerformanceGraph::OnScaleChange, scale, showScale);
    showScale();

    auto series = std::make_shared<DemoSeries>();
    auto sample = [=] {
        ++series->tick;
        for (int s = 0; s < 3; ++s)
            lines->DataPoint(colors[s], series->load(s));
        lines->Update();
        // Stacked: each point is the top of its segment, so the sums rise.
        int top = 0;
        for (int s = 0; s < 3; ++s) {
            top += series->load(s) / 3;
            bars->DataPoint(colors[s], top);
        }
        bars->Update();
    };
    // Once the window is laid out (the history follows the graph's width),
    // fill the history so the page never opens on an empty chart.
    auto* timer = new QTimer(page);
    QObject::connect(timer, &QTimer::timeout, page, sample);
    QTimer::singleShot(0, page, [sample, timer] {
        for (int n = 0; n < 240; ++n)
            sample();
        timer->start(100);
    });
    return page;
}
