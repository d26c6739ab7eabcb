// SPDX-License-Identifier: MIT
// How long a directory of 10,000 subdirectories takes to expand: the tree
// logic alone, and through the widget with its view laid out and painted.
#include "samples/cdiroutl/cdirectoryoutline.h"
#include "samples/cdiroutl/directoryoutline.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace quorvane;

namespace {

constexpr int kSubdirectories = 10000;

// Keeps the process's current directory out of the measurement's way.
class FixedDirectorySystem : public RealDirectorySystem {
public:
    explicit FixedDirectorySystem(QString cwd) : m_cwd(std::move(cwd)) {}
    QString currentDirectory() override { return m_cwd; }
    bool setCurrentDirectory(const QString&) override { return true; }
    QString absolutePath(const QString& path) override
    {
        return QDir::cleanPath(QDir(m_cwd).absoluteFilePath(path));
    }

private:
    QString m_cwd;
};

const QString& bigDirectory()
{
    static QTemporaryDir temp;
    static const QString path = [] {
        const QString root = QDir(temp.path()).canonicalPath();
        QDir dir(root);
        // Mixed case, created in shuffled order so the sort has work to do.
        std::vector<int> order(kSubdirectories);
        for (int i = 0; i < kSubdirectories; ++i)
            order[static_cast<size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), std::mt19937(42));
        for (int i : order)
            dir.mkdir(QStringLiteral("%1dir%2").arg(i % 2 ? QStringLiteral("Sub") : QStringLiteral("sub"))
                          .arg(i, 5, 10, QLatin1Char('0')));
        return root;
    }();
    return path;
}

void BM_ReadLevelOfTenThousand(benchmark::State& state)
{
    FixedDirectorySystem fs(bigDirectory());
    for (auto _ : state) {
        DirectoryOutline outline(fs);
        outline.CreateWnd();
        outline.Loaded();
        outline.Expand(outline.SelectedItem());
        benchmark::DoNotOptimize(outline.ItemCount());
    }
    state.counters["items"] = kSubdirectories;
}
BENCHMARK(BM_ReadLevelOfTenThousand)->Unit(benchmark::kMillisecond);

void BM_ExpandInWidgetOfTenThousand(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TCDirectoryOutline widget(nullptr, std::make_unique<FixedDirectorySystem>(bigDirectory()));
        widget.resize(300, 600);
        widget.show();
        QApplication::processEvents();
        const QModelIndex current = widget.currentIndex();
        state.ResumeTiming();
        // The user's click on the expander through to the repainted view.
        widget.expand(current);
        widget.repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(widget.model()->rowCount(current));
    }
}
BENCHMARK(BM_ExpandInWidgetOfTenThousand)->Unit(benchmark::kMillisecond);

} // namespace
