// SPDX-License-Identifier: MIT
#pragma once
// The main window: applies the poll cycle's outcome, and holds the signal
// display, the settings, the alarm log, the tray icon and the terminal bridge.
// The work itself lives in poll/, display/, bridge/ and trayicon/; the handlers
// here only connect it to the controls of the layout (tform1.ui).

#include "alarmlog.h"
#include "formservices.h"
#include "poll/pollcycle.h"
#include "history/historystore.h"
#include "notify/notifyrules.h"
#include "bridge/terminaltargets.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QTimer;

namespace Ui {
class TForm1;
}

namespace quorvane {

class HintSwitch;
class HistoryPage;
struct LampView;
class TImageList;
class TTrayIcon;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    /// Builds the window from its layout and runs FormCreate (the first poll
    /// included). Errors escaping FormCreate are reported; the window is still made.
    explicit TForm1(FormServices services, QWidget* parent = nullptr);
    /// Runs FormDestroy; its errors are reported and end it at that step.
    ~TForm1() override;

    // Lifecycle.
    void FormCreate();
    void FormDestroy();

    // Poll cycle.
    /// One poll (PollCycle), then the outcome applied: status text, selector
    /// sync, display. Failures are reported in the status bar and
    /// "error_log.txt"; only a failure to write that log escapes.
    void Timer1Timer();
    /// Refills the record list from the reply text.
    void SplitReply();
    /// The user picked another symbol.
    void ComboBox3Change();

    // Display.
    /// Shows the record at ComboBox3's index; throws EListError / EConvertError.
    void ShowSelectedRecord();
    /// Sets the 16 lamps, the arrow and the tray picture, then repaints the lamp group.
    void ShowLamps(double maximum, double signal);
    /// Edit1 follows TrackBar1's position.
    void TrackBar1Change();

    // Terminal bridge and alarms.
    void Button1Click();
    void Button2Click();
    void Button5Click();
    /// The shared folder is written from the next poll on, or no longer.
    void CheckBox3Click();
    void WriteSignalFiles();

    // Layout handlers.
    void Label18Click(QLabel* sender);
    void Label23Click();
    void Label25Click();
    void CheckBox1Click();
    void N1Click();
    void N2Click();

    /// The reply text of the last successful service call.
    const std::string& replyText() const { return m_poll.replyText(); }
    /// The market records of the last split reply.
    const std::vector<std::string>& records() const { return m_records; }
    /// The tray icon (TrayIcon1).
    TTrayIcon* trayIcon() const { return m_trayIcon; }
    /// The popup menu of the tray icon (PopupMenu1).
    QMenu* popupMenu() const { return m_popupMenu; }
    /// The History page (on TabSheet4); call its historyChanged() after each recorded poll.
    HistoryPage* historyPage() const { return m_historyPage; }

signals:
    /// The window was closed (close box, "&Exit", end of session); the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildComponents();
    void addHistoryPage();
    void connectHandlers();
    void readSettings();
    void writeSettings();
    void syncSymbolSelector();
    void setStatus(PollStatus status);
    /// Hands the poll's end and what the window shows to the notifications.
    void notifyAfterPoll(bool reached);
    void showLamps(const LampView& view);
    void showPicture(QLabel* label, int index);
    std::string folder() const;
    void setFolder(const std::string& folder);
    /// Where the poll writes from now on: `targets` and, while CheckBox3 is checked,
    /// their shared folders (a refused one gets an error-log line, once per call);
    /// Edit2's hint names the signal folders.
    void setTerminalTargets(std::vector<TerminalTarget> targets);

    template <typename F>
    auto guard(F fn)
    {
        return guarded(m_services.reportError, std::move(fn));
    }

    FormServices m_services;
    std::unique_ptr<Ui::TForm1> m_ui;
    PollCycle m_poll;
    std::unique_ptr<HistoryStore> m_history; ///< null without a history file; after m_poll, which records into it
    // The terminal folder's own bytes; Edit2 only shows them, and a QString
    // would turn bytes that are no UTF-8 into U+FFFD.
    std::string m_terminalFolder;
    std::vector<std::string> m_records;
    std::optional<SymbolFacts> m_shown; ///< the selected symbol as the last full display showed it
    std::unique_ptr<WindowNotifications> m_notifications;
    AlarmLog m_alarmLog;
    TImageList* m_imageList = nullptr;
    QTimer* m_timer = nullptr;
    TTrayIcon* m_trayIcon = nullptr;
    QMenu* m_popupMenu = nullptr;
    HintSwitch* m_hints = nullptr;
    HistoryPage* m_historyPage = nullptr;
    std::array<QLabel*, 17> m_images{};
    std::vector<QPixmap> m_pictures;
    bool m_destroyed = false;
};

} // namespace quorvane
