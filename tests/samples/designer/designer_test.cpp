// SPDX-License-Identifier: MIT
// The Designer plugin as Designer uses it: loaded with QPluginLoader, every
// component created through the collection interface and its properties
// written by name. The test links none of the component libraries: the
// widgets it sees come from the plugin.
#include "samples/common/handlerreport.h"

#include "tests/support/qtapp.h"

#include <QColor>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

QString text(const char* s) { return QString::fromLatin1(s); }

class DesignerPlugin : public testing::Test {
protected:
    void SetUp() override
    {
        loader.setFileName(QStringLiteral(QUORVANE_DESIGNER_PLUGIN));
        ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
        auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
        ASSERT_NE(collection, nullptr);
        for (QDesignerCustomWidgetInterface* widget : collection->customWidgets())
            widgets[widget->name()] = widget;
    }
    // A fresh instance of a component, made as Designer makes it.
    std::unique_ptr<QWidget> create(const char* className)
    {
        QDesignerCustomWidgetInterface* plugin = widgets.at(text(className));
        return std::unique_ptr<QWidget>(plugin->createWidget(nullptr));
    }

    QPluginLoader loader;
    std::map<QString, QDesignerCustomWidgetInterface*> widgets;
};

} // namespace

TEST_F(DesignerPlugin, OffersEveryComponentWithIconHeaderAndFormXml)
{
    const char* names[] = {"quorvane::TPerformanceGraph", "quorvane::TCGauge", "quorvane::TCSpinEdit",
                           "quorvane::TCSpinButton", "quorvane::TCCalendar", "quorvane::TCDirectoryOutline"};
    ASSERT_EQ(widgets.size(), std::size(names));
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ASSERT_EQ(widgets.count(text(name)), 1u);
        QDesignerCustomWidgetInterface* plugin = widgets.at(text(name));
        EXPECT_EQ(plugin->group(), QStringLiteral("Quorvane components"));
        EXPECT_FALSE(plugin->isContainer());
        EXPECT_FALSE(plugin->toolTip().isEmpty());
        const QIcon icon = plugin->icon();
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes().size(), 2) << "1x and 2x";
        // Headers are named from the source root, as every include of the project is.
        const QDir sourceRoot(QStringLiteral(QUORVANE_SAMPLES_DIR "/.."));
        EXPECT_TRUE(QFileInfo::exists(sourceRoot.filePath(plugin->includeFile()))) << plugin->includeFile().toStdString();

        // The form snippet names the class and gives the instance a name.
        QXmlStreamReader xml(plugin->domXml());
        ASSERT_TRUE(xml.readNextStartElement());
        EXPECT_EQ(xml.name(), QStringLiteral("ui"));
        ASSERT_TRUE(xml.readNextStartElement());
        EXPECT_EQ(xml.name(), QStringLiteral("widget"));
        EXPECT_EQ(xml.attributes().value(QStringLiteral("class")), text(name));
        EXPECT_FALSE(xml.attributes().value(QStringLiteral("name")).isEmpty());

        QWidget parent;
        QWidget* made = plugin->createWidget(&parent);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), text(name));
        EXPECT_EQ(made->parentWidget(), &parent);
        EXPECT_FALSE(made->sizeHint().isEmpty());
    }
}

// Every Get/Set pair is a property Designer can list and write; enumerations
// are known by their names, and writing goes through the setters' rules.
TEST_F(DesignerPlugin, PropertiesWriteThroughTheSetters)
{
    struct Row { const char* widget; const char* property; QVariant written, expected; };
    const Row rows[] = {
        {"quorvane::TPerformanceGraph", "Kind", text("pgBar"), 0},
        {"quorvane::TPerformanceGraph", "GridSize", 1, 2},
        {"quorvane::TPerformanceGraph", "StepSize", 0, 1},
        {"quorvane::TPerformanceGraph", "Scale", 250, 300},
        {"quorvane::TPerformanceGraph", "ForeColor", QColor(Qt::red), QColor(Qt::red)},
        {"quorvane::TCGauge", "Kind", text("gkNeedle"), 4},
        {"quorvane::TCGauge", "BorderStyle", text("bsNone"), 0},
        {"quorvane::TCGauge", "Progress", 150, 100},
        {"quorvane::TCGauge", "MaxValue", 40, 40},
        {"quorvane::TCSpinEdit", "Value", 12, 12},
        {"quorvane::TCSpinEdit", "EditorEnabled", false, false},
        {"quorvane::TCSpinButton", "TabStop", true, true},
        {"quorvane::TCCalendar", "StartOfWeek", 9, 1},
        {"quorvane::TCCalendar", "Date", QDate(2008, 2, 29), QDate(2008, 2, 29)},
        {"quorvane::TCCalendar", "CalendarDate", 39507.75, 39507.0}, // the time part dropped
        {"quorvane::TCCalendar", "Month", 13, -1}, // ignored: checked below against the old month
        {"quorvane::TCDirectoryOutline", "TextCase", text("tcAsIs"), 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.widget) + "." + r.property);
        const std::unique_ptr<QWidget> widget = create(r.widget);
        const QMetaObject* meta = widget->metaObject();
        const int index = meta->indexOfProperty(r.property);
        ASSERT_GE(index, meta->superClass()->propertyCount()) << "declared by the component itself";
        const QMetaProperty property = meta->property(index);
        EXPECT_TRUE(property.isWritable());
        EXPECT_EQ(property.isEnumType(), r.written.typeId() == QMetaType::QString);
        const QVariant before = widget->property(r.property);
        ASSERT_TRUE(widget->setProperty(r.property, r.written));
        const QVariant after = widget->property(r.property);
        if (r.expected == QVariant(-1))
            EXPECT_EQ(after, before);
        else if (property.isEnumType())
            EXPECT_EQ(after.toInt(), r.expected.toInt());
        else
            EXPECT_EQ(after, r.expected);
    }
    const std::unique_ptr<QWidget> gauge = create("quorvane::TCGauge");
    EXPECT_FALSE(gauge->metaObject()->property(gauge->metaObject()->indexOfProperty("PercentDone")).isWritable());
}

// Designer's property editor, QUiLoader and setProperty cannot take an
// exception: a value a setter refuses is reported once, through the report
// the widget was given, and the widget keeps its old value.
TEST_F(DesignerPlugin, RefusedValuesAreReportedOnceAndChangeNothing)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral(".hidden")));
    const QString missing = temp.filePath(QStringLiteral("missing"));
    const QString outlineErrors = QStringLiteral("Invalid selection|Outline index not found");

    struct Row {
        const char* name;
        const char* widget;
        const char* setUp; // a property written first, or null
        QVariant setUpValue;
        const char* property;
        QVariant refused;
        QString message; // the report's text; alternatives separated by "|"
    };
    const Row rows[] = {
        {"GaugeMinAboveMax", "quorvane::TCGauge", nullptr, {}, "MinValue", 200,
         text("Value must be between -2147483647 and 99")},
        {"GaugeMaxBelowMin", "quorvane::TCGauge", "MinValue", 10, "MaxValue", 5,
         text("Value must be between 11 and 2147483647")},
        {"CalendarMonthWithoutTheDay", "quorvane::TCCalendar", "Date", QDate(2009, 1, 31), "Month", 2,
         text("Invalid argument to date encode")},
        {"CalendarYearPast9999", "quorvane::TCCalendar", "Date", QDate(2009, 1, 31), "Year", 10000,
         text("Invalid argument to date encode")},
        {"CalendarDatePast9999", "quorvane::TCCalendar", nullptr, {}, "Date", QDate(10000, 1, 1),
         text("Invalid argument to date encode")},
        {"CalendarSerialOutOfRange", "quorvane::TCCalendar", nullptr, {}, "CalendarDate", 1e9,
         text("Invalid argument to date encode")},
        {"OutlineMissingDirectory", "quorvane::TCDirectoryOutline", nullptr, {}, "Directory",
         missing + QStringLiteral("/further"), outlineErrors},
        {"OutlineHiddenDirectory", "quorvane::TCDirectoryOutline", nullptr, {}, "Directory",
         temp.filePath(QStringLiteral(".hidden")), outlineErrors},
    };
    const QString cwd = QDir::currentPath();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::unique_ptr<QWidget> widget = create(r.widget);
        std::vector<std::string> reports;
        const quorvane::HandlerErrorReport report = [&](const std::string& m) { reports.push_back(m); };
        ASSERT_TRUE(QMetaObject::invokeMethod(widget.get(), "setErrorReport",
                                              Q_ARG(quorvane::HandlerErrorReport, report)));
        if (r.setUp) {
            ASSERT_TRUE(widget->setProperty(r.setUp, r.setUpValue));
        }
        ASSERT_TRUE(reports.empty());
        const QVariant before = widget->property(r.property);

        EXPECT_NO_THROW(widget->setProperty(r.property, r.refused));
        EXPECT_EQ(widget->property(r.property), before);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(r.message.split(QLatin1Char('|')).contains(QString::fromStdString(reports[0])))
            << reports[0];
        EXPECT_EQ(QDir::currentPath(), cwd) << "the process stays where it was";
    }
}
