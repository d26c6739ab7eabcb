// SPDX-License-Identifier: MIT
#include "componentplugins.h"

#include "componenticons.h"

#include "samples/ccalendr/ccalendar.h"
#include "samples/cdiroutl/cdirectoryoutline.h"
#include "samples/cgauges/cgauge.h"
#include "samples/cspin/cspinbutton.h"
#include "samples/cspin/cspinedit.h"
#include "samples/perfgrap/perfgrap.h"

#include <QtPlugin>

namespace quorvane::designer {

ComponentPlugin::ComponentPlugin(ComponentInfo info, QObject* parent)
    : QObject(parent)
    , m_info(std::move(info))
{
}

QString ComponentPlugin::group() const
{
    return QStringLiteral("Quorvane components");
}

QIcon ComponentPlugin::icon() const
{
    return m_info.icon();
}

void ComponentPlugin::initialize(QDesignerFormEditorInterface*)
{
    m_initialized = true;
}

QString ComponentPlugin::domXml() const
{
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"%1\" name=\"%2\"/>\n"
                          "</ui>\n")
        .arg(m_info.className, m_info.objectName);
}

namespace {

template <typename Widget>
std::function<QWidget*(QWidget*)> factory()
{
    return [](QWidget* parent) -> QWidget* { return new Widget(parent); };
}

} // namespace

ComponentCollection::ComponentCollection(QObject* parent)
    : QObject(parent)
{
    const ComponentInfo infos[] = {
        {QStringLiteral("quorvane::TPerformanceGraph"), QStringLiteral("samples/perfgrap/perfgrap.h"),
         QStringLiteral("Scrolling strip chart of recent samples"),
         QStringLiteral("Each Update commits the points given since the last one as a column at the right edge."),
         QStringLiteral("performanceGraph"), false, &performanceGraphIcon, factory<TPerformanceGraph>()},
        {QStringLiteral("quorvane::TCGauge"), QStringLiteral("samples/cgauges/cgauge.h"),
         QStringLiteral("Progress between a minimum and a maximum"),
         QStringLiteral("Text, horizontal or vertical bar, pie or needle, with the percentage written over it."),
         QStringLiteral("gauge"), false, &gaugeIcon, factory<TCGauge>()},
        {QStringLiteral("quorvane::TCSpinEdit"), QStringLiteral("samples/cspin/cspinedit.h"),
         QStringLiteral("Integer field with a spin button"),
         QStringLiteral("Steps by Increment within MinValue and MaxValue; equal bounds mean no range."),
         QStringLiteral("spinEdit"), false, &spinEditIcon, factory<TCSpinEdit>()},
        {QStringLiteral("quorvane::TCSpinButton"), QStringLiteral("samples/cspin/cspinbutton.h"),
         QStringLiteral("Two auto-repeating arrow buttons"),
         QStringLiteral("Raises OnUpClick and OnDownClick, repeating while held."),
         QStringLiteral("spinButton"), false, &spinButtonIcon, factory<TCSpinButton>()},
        {QStringLiteral("quorvane::TCCalendar"), QStringLiteral("samples/ccalendr/ccalendar.h"),
         QStringLiteral("Month calendar grid"),
         QStringLiteral("One month as a 7 x 7 grid; the selected cell is the calendar's day."),
         QStringLiteral("calendar"), false, &calendarIcon, factory<TCCalendar>()},
        {QStringLiteral("quorvane::TCDirectoryOutline"), QStringLiteral("samples/cdiroutl/cdirectoryoutline.h"),
         QStringLiteral("Directory tree down to the current directory"),
         QStringLiteral("Reads each level when it is first expanded; a click makes a directory current."),
         QStringLiteral("directoryOutline"), false, &directoryOutlineIcon,
         [](QWidget* parent) -> QWidget* { return new TCDirectoryOutline(parent); }},
    };
    for (const ComponentInfo& info : infos)
        m_widgets.append(new ComponentPlugin(info, this));
}

} // namespace quorvane::designer
