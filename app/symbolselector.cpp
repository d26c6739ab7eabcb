// SPDX-License-Identifier: MIT
#include "symbolselector.h"

#include <QComboBox>

namespace quorvane {

std::string itemBytes(const QComboBox* box, int i)
{
    const QVariant bytes = box->itemData(i);
    return bytes.isValid() ? bytes.toByteArray().toStdString() : box->itemText(i).toLocal8Bit().toStdString();
}

std::vector<std::string> itemsBytes(const QComboBox* box)
{
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(box->count()));
    for (int i = 0; i < box->count(); ++i)
        items.push_back(itemBytes(box, i));
    return items;
}

void applySelectorUpdate(QComboBox* box, const SelectorUpdate& update)
{
    if (!update.changed)
        return;
    if (update.refill) {
        box->clear();
        for (const std::string& item : update.items)
            box->addItem(QString::fromLocal8Bit(item), QByteArray::fromStdString(item));
    }
    for (const std::size_t i : update.rewritten) {
        box->setItemText(static_cast<int>(i), QString::fromLocal8Bit(update.items[i]));
        box->setItemData(static_cast<int>(i), QByteArray::fromStdString(update.items[i]));
    }
    box->setCurrentIndex(0);
}

} // namespace quorvane
