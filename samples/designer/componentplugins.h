// SPDX-License-Identifier: MIT
#pragma once
// Qt Designer plugin for the component set: every component in the widget box
// under "Quorvane components", with an icon of its own, created with the
// defaults it has in code.

#include <QIcon>
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <functional>

namespace quorvane::designer {

/// What Designer needs to know about one component.
struct ComponentInfo {
    QString className;   ///< the C++ class, namespace included
    QString includeFile; ///< the header a form's generated code includes
    QString toolTip;     ///< one line in the widget box
    QString whatsThis;   ///< a few words more
    QString objectName;  ///< name of a fresh instance on a form
    bool isContainer = false;
    std::function<QIcon()> icon;
    std::function<QWidget*(QWidget* parent)> create;
};

/// One component as Designer sees it.
class ComponentPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    ComponentPlugin(ComponentInfo info, QObject* parent);

    QString name() const override { return m_info.className; }
    QString group() const override;
    QString toolTip() const override { return m_info.toolTip; }
    QString whatsThis() const override { return m_info.whatsThis; }
    QString includeFile() const override { return m_info.includeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return m_info.isContainer; }
    QWidget* createWidget(QWidget* parent) override { return m_info.create(parent); }
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;

private:
    ComponentInfo m_info;
    bool m_initialized = false;
};

/// The plugin Designer loads: all components of the set.
class ComponentCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit ComponentCollection(QObject* parent = nullptr);

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

} // namespace quorvane::designer
