// SPDX-License-Identifier: MIT
#include "timagelist.h"

namespace quorvane {

TImageList::TImageList(QObject* parent) : QObject(parent) {}

void TImageList::Add(const QIcon& icon)
{
    m_icons.push_back(icon);
    emit changed();
}

void TImageList::Clear()
{
    if (m_icons.empty())
        return;
    m_icons.clear();
    emit changed();
}

int TImageList::Count() const
{
    return static_cast<int>(m_icons.size());
}

QIcon TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return QIcon();
    return m_icons[static_cast<std::size_t>(index)];
}

} // namespace quorvane
