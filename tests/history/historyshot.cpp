// SPDX-License-Identifier: MIT
// The History page's picture for the README: a day of demo-like records of
// the eight pairs, the bands of a maximum of 0.5, drawn offscreen.
//
//   history_page_shot docs/images/history.png
//   QT_SCALE_FACTOR=2 history_page_shot docs/images/history@2x.png

#include "tests/support/fakehistorysource.h"

#include "history/historypage.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    using namespace quorvane;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    // The same picture on every machine: UTC times, the C locale's numbers.
    setenv("TZ", "UTC", 1);
    tzset();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    constexpr std::int64_t kNow = 1796740215000; // 2026-12-08 14:30:15
    constexpr std::int64_t kDay = 24 * 3600 * 1000;
    const struct {
        const char* symbol;
        double price;
        int decimals;
    } pairs[] = {{"EURUSD", 1.08420, 5}, {"GBPUSD", 1.26710, 5}, {"USDJPY", 149.820, 3}, {"USDCHF", 0.88150, 5},
                 {"AUDUSD", 0.65830, 5}, {"USDCAD", 1.35940, 5}, {"NZDUSD", 0.61270, 5}, {"EURGBP", 0.85560, 5}};
    test::FakeHistorySource source;
    unsigned seed = 7;
    for (const auto& pair : pairs)
        source.add(test::demoWalk(pair.symbol, pair.price, pair.decimals, kNow - kDay, 15000, 24 * 240, seed++));

    HistoryPage::Services services;
    services.nowUtcMs = [] { return kNow; };
    HistoryPage page(&source, std::move(services));
    page.setMaximumSignal(0.5);
    page.resize(776, 520);
    page.show();
    page.setRange(HistoryRange::Day);
    QApplication::processEvents();
    if (!page.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
