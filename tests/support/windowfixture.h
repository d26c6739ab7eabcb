// SPDX-License-Identifier: MIT
#pragma once
// The main window offscreen, shared by the window tests: stand-ins for the
// service, the dialogs, the shell and the tray, and a fixture that builds the
// window in a scratch folder and reads its controls back.

#include "acceptingtray.h"
#include "qtapp.h"
#include "scratchfolder.h"

#include "poll/logtimestamp.h"
#include "app/errorreport.h"
#include "core/exceptions.h"
#include "app/formservices.h"
#include "app/inifile.h"
#include "bridge/terminalfolder.h"
#include "app/tform1.h"
#include "trayicon/ttrayicon.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {

/// What the stand-ins answer and what the window asked of them.
struct Outside {
    std::deque<std::string> replies; ///< next service replies; "!text" throws Exception("text")
    std::string fallback;            ///< the reply once `replies` is used up
    int calls = 0, liveClients = 0;
    std::optional<std::string> browseAnswer;
    std::vector<std::pair<std::string, std::string>> browsed, opened; ///< (caption, initial), (verb, target)
    std::vector<std::string> sounds, messages, reports;
    std::vector<std::string> notified; ///< summaries the desktop showed, with " (replaces id)"
    std::vector<std::string> balloons; ///< what the tray icon's balloon showed
    bool noNotificationService = false; ///< the desktop falls back on the balloon
};

/// The desktop's notification service: numbers what it shows from 101.
class RecordingNotifier : public Notifier {
public:
    RecordingNotifier(Outside* o, NotificationFallback balloon) : m_o(o), m_balloon(std::move(balloon)) {}
    std::uint32_t show(const Notification& n) override
    {
        if (m_o->noNotificationService) {
            m_balloon(n);
            return 0;
        }
        m_o->notified.push_back(n.summary + (n.replacesId ? " (replaces " + std::to_string(n.replacesId) + ")" : ""));
        return static_cast<std::uint32_t>(100 + m_o->notified.size());
    }

private:
    Outside* m_o;
    NotificationFallback m_balloon;
};

class StandIn : public HelloWorldPortType, public FolderBrowser, public ShellOpener, public SoundPlayer {
public:
    explicit StandIn(Outside* o) : m_o(o) {}
    std::string Signal(int format, const std::string& text) override
    {
        EXPECT_EQ(format, 0);
        EXPECT_EQ(text, "");
        ++m_o->calls;
        const std::string reply = m_o->replies.empty() ? m_o->fallback : m_o->replies.front();
        if (!m_o->replies.empty())
            m_o->replies.pop_front();
        if (!reply.empty() && reply[0] == '!')
            throw Exception(reply.substr(1));
        return reply;
    }
    std::optional<std::string> Browse(const std::string& caption, const std::string& initial) override
    {
        m_o->browsed.emplace_back(caption, initial);
        return m_o->browseAnswer;
    }
    void Open(const std::string& verb, const std::string& target) override { m_o->opened.emplace_back(verb, target); }
    void PlayAsync(const std::string& name) override { m_o->sounds.push_back(name); }

private:
    Outside* m_o;
};

/// Three instruments, each record as the service writes it.
inline const std::string kThreeRecords = "(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:0.1875)"
                                         "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)"
                                         "(Symbol:USDJPY,Price:151.20,Time:2026.12.08 10:00,Signal:0)";

class WindowTest : public ::testing::Test {
protected:
    ScratchFolder dir;
    Outside fake;
    QDateTime now{QDate(2026, 12, 8), QTime(10, 15, 30)};
    std::string serviceUrl; ///< when set, polls go to this endpoint instead of the stand-in
    FileLocations locations; ///< empty: settings and logs beside the executable
    std::unique_ptr<TForm1> form;

    std::string ini() const { return dir / "quorvane.INI"; }

    /// Builds the window; FormCreate (and so the first poll) runs inside.
    TForm1& open()
    {
        Outside* o = &fake;
        FormServices s;
        s.executablePath = dir / "quorvane";
        s.locations = locations;
        s.signalService = [o, url = serviceUrl]() -> std::shared_ptr<HelloWorldPortType> {
            if (!url.empty())
                return GetSignalService(false, url);
            ++o->liveClients;
            return {new StandIn(o), [o](HelloWorldPortType* p) { --o->liveClients; delete p; }};
        };
        s.clock = [this] { return now; };
        s.folderBrowser = std::make_unique<StandIn>(o);
        s.shellOpener = std::make_unique<StandIn>(o);
        s.soundPlayer = std::make_unique<StandIn>(o);
        s.fileSystem = makeRealFileSystem();
        s.trayShell = std::make_unique<AcceptingTray>(&o->balloons);
        s.notifier = [o](NotificationFallback balloon) {
            return std::make_unique<RecordingNotifier>(o, std::move(balloon));
        };
        s.showMessage = [o](const std::string& m) { o->messages.push_back(m); };
        s.reportError = [o](const std::string& m) { o->reports.push_back(m); };
        form = std::make_unique<TForm1>(std::move(s));
        return *form;
    }
    /// Destroys the window; FormDestroy runs.
    void close() { form.reset(); }

    template <typename T = QWidget>
    T* control(const std::string& name) const
    {
        T* w = form->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* combo(const char* name) const { return control<QComboBox>(name); }
    QString text(const char* name) const
    {
        if (auto* label = form->findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        return control<QLineEdit>(name)->text();
    }
    QString status() const { return control<QStatusBar>("StatusBar1")->currentMessage(); }
    /// Which picture of ImageList1 the lamp ImageN shows (-1: none yet).
    int picture(int n) const
    {
        auto* label = control<QLabel>("Image" + std::to_string(n));
        return label->pixmap().isNull() ? -1 : label->property("imageIndex").toInt();
    }
    /// Long lamps 1..8, short lamps 1..8, arrow, tray picture: e.g. "11100000 00000000 4 1".
    std::string lamps() const
    {
        std::string s;
        for (int i = 1; i <= 16; ++i)
            s += std::to_string(picture(i)) + (i == 8 ? " " : "");
        return s + " " + std::to_string(picture(17)) + " " + std::to_string(form->trayIcon()->IconIndex());
    }
    std::string errorLog() const { return readFile(dir / "error_log.txt"); }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
};

inline std::string record(const std::string& symbol, const std::string& signal)
{
    return "(Symbol:" + symbol + ",Price:1.5,Time:2026.12.08 09:59,Signal:" + signal + ")";
}

} // namespace quorvane::test
