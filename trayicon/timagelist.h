// SPDX-License-Identifier: MIT
#pragma once
// An ordered list of pictures (the lamps and arrows) that the main window and
// the tray icon draw from. The list does not own its users; they watch its
// destroyed() signal.

#include <QIcon>
#include <QObject>

#include <vector>

namespace quorvane {

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QObject* parent = nullptr);

    /// Appends a picture; its index is the previous Count().
    void Add(const QIcon& icon);
    /// Removes every picture.
    void Clear();
    /// Number of pictures held.
    int Count() const;
    /// The picture at index, or a null icon when index is outside 0..Count()-1.
    QIcon Icon(int index) const;

signals:
    /// Emitted after the pictures changed (Add, Clear).
    void changed();

private:
    std::vector<QIcon> m_icons;
};

} // namespace quorvane
