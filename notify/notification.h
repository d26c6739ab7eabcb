// SPDX-License-Identifier: MIT
#pragma once
// One desktop notification as the program words it, and the desktop service
// that shows it. The texts are 8-bit, as the window shows them.

#include <cstdint>
#include <functional>
#include <string>

namespace quorvane {

enum class Urgency { Normal, Critical };

/// What a notification is about; each subject replaces its own last one.
enum class NotificationTopic { Lamps, Service };

struct Notification {
    NotificationTopic topic = NotificationTopic::Lamps;
    /// The short name of the symbol whose lamps it reports; empty for the service.
    std::string symbol;
    /// The id of the notification of the same subject that this one replaces; 0: none.
    std::uint32_t replacesId = 0;
    std::string summary;
    std::string body;
    Urgency urgency = Urgency::Normal;
};

/// The desktop's notification service.
class Notifier {
public:
    virtual ~Notifier();
    /// Shows `notification`. Returns the id the desktop gave it, to be replaced
    /// by the next one of its subject; 0 when the desktop service did not show it.
    /// Never throws: a desktop that cannot be told must not stop a poll.
    virtual std::uint32_t show(const Notification& notification) = 0;
};

/// Shows a notification where no notification service is running.
using NotificationFallback = std::function<void(const Notification&)>;

} // namespace quorvane
