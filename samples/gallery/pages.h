// SPDX-License-Identifier: MIT
#pragma once
// One demo page per component of the set; each lives beside the gallery's
// main and feeds its component with live demo data.

class QWidget;

QWidget* makePerformanceGraphPage(QWidget* parent);
QWidget* makeGaugePage(QWidget* parent);
QWidget* makeSpinPage(QWidget* parent);
QWidget* makeCalendarPage(QWidget* parent);
QWidget* makeDirectoryOutlinePage(QWidget* parent);
