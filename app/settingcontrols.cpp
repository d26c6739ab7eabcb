// SPDX-License-Identifier: MIT
#include "settingcontrols.h"

#include "core/exceptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

namespace quorvane {

namespace {

[[noreturn]] void refuse(const QWidget* control)
{
    throw Exception("No setting is held by " + (control ? control->objectName().toStdString() : "a missing control"));
}

} // namespace

void setControlValue(QWidget* control, const SettingValue& value)
{
    if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(std::get<bool>(value));
    else if (auto* list = qobject_cast<QComboBox*>(control))
        list->setCurrentIndex(std::get<int>(value)); // QComboBox leaves none for an index outside
    else if (auto* bar = qobject_cast<QSlider*>(control))
        bar->setValue(std::get<int>(value)); // QSlider clamps to its range
    else
        refuse(control);
}

SettingValue controlValue(const QWidget* control)
{
    if (auto* box = qobject_cast<const QCheckBox*>(control))
        return box->isChecked();
    if (auto* list = qobject_cast<const QComboBox*>(control))
        return list->currentIndex();
    if (auto* bar = qobject_cast<const QSlider*>(control))
        return bar->value();
    refuse(control);
}

} // namespace quorvane
