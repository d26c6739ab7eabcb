// SPDX-License-Identifier: MIT
#pragma once
// The record display as data: everything the window shows for one market
// record, worked out without widgets. The window only applies it.

#include "core/exceptions.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// Label10's font colour: clWindowText, clGreen or clRed.
enum class SignalColour { Default, Green, Red };

/// What the 16 lamps, the arrow and the tray icon show (pictures of ImageList1).
struct LampView {
    std::array<int, 16> lamps{}; ///< Image1..Image8 long row, Image9..Image16 short row: 0 white, 1 green, 2 red
    int arrow = -1;              ///< Image17: 4 up, 3 down, -1 keeps what it shows
    int trayImage = 0;           ///< TrayIcon1's IconIndex: 1 above zero, 2 below, 0 zero
};

/// How far a refresh gets before a number fails to convert.
enum class ViewReach {
    SignalText, ///< the Signal field is no number: only Label10's text is shown
    Colour,     ///< the maximum is no number: Label10 and its colour are shown
    All,
};

/// Everything the window shows for one record, in the order it is shown.
struct RecordView {
    ViewReach reach = ViewReach::All;
    /// Set when reach is not All; the window raises it after showing what comes before.
    std::optional<EConvertError> failure;
    std::string signalText; ///< Label10: the Signal field as received
    SignalColour colour = SignalColour::Default;
    double maximum = 0;    ///< the maximum signal value the lamps are lit against
    double signal = 0;     ///< the record's signal
    LampView lamps;        ///< the lamps for maximum and signal
    std::string shortName; ///< Label2
    std::string price;     ///< Label4
    std::string time;      ///< Label8
    std::string hint;      ///< TrayIcon1's Hint
};

/// The lamps for one signal against one maximum (the arithmetic of computeLamps).
LampView lampView(double maximum, double signal);

/// The display of `record`. `maximumText` is Edit1's text, read with the regional
/// separator; the Signal field is read with "." and the regional separator. The
/// hint names `itemName`, the selector's item for the record: the same bytes as
/// the short name once the selector is in line, and still the item's after a poll
/// that failed before the selector sync.
RecordView recordView(std::string_view record, std::string_view itemName, std::string_view maximumText,
                      char separator);

/// The record at the selector's index; EListError when there is none.
const std::string& selectedRecord(const std::vector<std::string>& records, int index);

} // namespace quorvane
