// SPDX-License-Identifier: MIT
// Calendar page: the month grid with buttons stepping by month and year, the
// start of the week and the date as text.
#include "pages.h"

#include "samples/ccalendr/ccalendar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

using quorvane::TCCalendar;

QWidget* makeCalendarPage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* calendar = new TCCalendar(page);
    auto* title = new QLabel(page);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const QString& text, void (TCCalendar::*step)()) {
        auto* button = new QPushButton(text, page);
        QObject::connect(button, &QPushButton::clicked, calendar, [calendar, step, title] {
            // Stepping past 9999 or before year 1 fails; say so instead of crashing.
            try {
                (calendar->*step)();
            } catch (const std::exception& error) {
                title->setText(QString::fromLocal8Bit(error.what()));
            }
        });
        buttons->addWidget(button);
    };
    addButton(QStringLiteral("<< Year"), &TCCalendar::PrevYear);
    addButton(QStringLiteral("< Month"), &TCCalendar::PrevMonth);
    addButton(QStringLiteral("Month >"), &TCCalendar::NextMonth);
    addButton(QStringLiteral("Year >>"), &TCCalendar::NextYear);
    auto* startOfWeek = new QComboBox(page);
    for (int day = 1; day <= 7; ++day)
        startOfWeek->addItem(QLocale().dayName(day), day);
    QObject::connect(startOfWeek, &QComboBox::currentIndexChanged, calendar,
                     [calendar, startOfWeek](int) {
                         calendar->SetStartOfWeek(startOfWeek->currentData().toInt());
                     });
    buttons->addStretch();
    buttons->addWidget(new QLabel(QStringLiteral("Week starts:"), page));
    buttons->addWidget(startOfWeek);

    auto showDate = [title, calendar] {
        title->setText(QStringLiteral("%1 %2 (day %3)")
                           .arg(QLocale().monthName(calendar->Month()))
                           .arg(calendar->Year())
                           .arg(calendar->Day()));
    };
    QObject::connect(calendar, &TCCalendar::OnChange, title, [showDate](TCCalendar*) { showDate(); });
    showDate();

    layout->addWidget(title);
    layout->addLayout(buttons);
    layout->addWidget(calendar, 1);
    return page;
}
