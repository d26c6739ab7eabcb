// SPDX-License-Identifier: MIT
#include "recordview.h"

#include "decimal.h"
#include "lamps.h"
#include "core/records.h"

namespace quorvane {

LampView lampView(double maximum, double signal)
{
    const LampState state = computeLamps(maximum, signal);
    LampView view;
    for (int k = 0; k < 8; ++k) {
        view.lamps[static_cast<std::size_t>(k)] = k < state.longLit ? 1 : 0;
        view.lamps[static_cast<std::size_t>(k + 8)] = k < state.shortLit ? 2 : 0;
    }
    view.arrow = state.arrowIndex;
    view.trayImage = state.trayIndex;
    return view;
}

RecordView recordView(std::string_view record, std::string_view itemName, std::string_view maximumText,
                      char separator)
{
    RecordView view;
    // The field's own bytes, not a widget's copy of them: a caption would turn
    // bytes that are no UTF-8 into U+FFFD before they are read.
    view.signalText = GetField(record, "Signal");
    double signal = 0;
    try {
        signal = signalToFloat(view.signalText, separator);
    } catch (const EConvertError& e) {
        view.reach = ViewReach::SignalText;
        view.failure = e;
        return view;
    }
    view.colour = signal > 0 ? SignalColour::Green : signal < 0 ? SignalColour::Red : SignalColour::Default;
    double maximum = 0;
    try {
        maximum = strToFloat(std::string(maximumText), separator);
    } catch (const EConvertError& e) {
        view.reach = ViewReach::Colour;
        view.failure = e;
        return view;
    }
    view.maximum = maximum;
    view.signal = signal;
    view.lamps = lampView(maximum, signal);
    view.shortName = shortName(record);
    view.price = GetField(record, "Price");
    view.time = GetField(record, "Time");
    view.hint = "Quorvane--" + std::string(itemName);
    return view;
}

const std::string& selectedRecord(const std::vector<std::string>& records, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= records.size())
        throw EListError(index);
    return records[static_cast<std::size_t>(index)];
}

} // namespace quorvane
