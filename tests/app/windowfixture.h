#pragma once
// Stand-ins for the main window's platform services and a fixture that builds
// a TForm1 in a scratch folder, as if the program lay there.

#include "scratch.h"

#include "exceptions.h"
#include "formservices.h"
#include "tform1.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {

/// Answers each poll with the next scripted reply; an entry starting with
/// "!" throws an Exception carrying the rest as its message.
struct ServiceScript {
    std::deque<std::string> replies;
    std::string fallback;
    int calls = 0;
    int liveClients = 0;
};

class FakeClient : public HelloWorldPortType {
public:
    explicit FakeClient(std::shared_ptr<ServiceScript> script) : m_script(std::move(script)) { ++m_script->liveClients; }
    ~FakeClient() override { --m_script->liveClients; }
    std::string Signal(int format, const std::string& text) override
    {
        EXPECT_EQ(format, 0);
        EXPECT_EQ(text, "");
        ++m_script->calls;
        std::string reply = m_script->fallback;
        if (!m_script->replies.empty()) {
            reply = m_script->replies.front();
            m_script->replies.pop_front();
        }
        if (!reply.empty() && reply[0] == '!')
            throw Exception(reply.substr(1));
        return reply;
    }

private:
    std::shared_ptr<ServiceScript> m_script;
};

class FakeBrowser : public FolderBrowser {
public:
    std::optional<std::string> answer;
    std::vector<std::pair<std::string, std::string>> calls; // caption, initial folder
    std::optional<std::string> Browse(const std::string& caption, const std::string& initial) override
    {
        calls.emplace_back(caption, initial);
        return answer;
    }
};

struct ShellLog {
    std::vector<std::pair<std::string, std::string>> opened; // verb, target
    std::vector<std::string> sounds;
};

class FakeShell : public ShellOpener {
public:
    explicit FakeShell(std::shared_ptr<ShellLog> log) : m_log(std::move(log)) {}
    void Open(const std::string& verb, const std::string& target) override { m_log->opened.emplace_back(verb, target); }

private:
    std::shared_ptr<ShellLog> m_log;
};

class FakeSound : public SoundPlayer {
public:
    explicit FakeSound(std::shared_ptr<ShellLog> log) : m_log(std::move(log)) {}
    void PlayAsync(const std::string& name) override { m_log->sounds.push_back(name); }

private:
    std::shared_ptr<ShellLog> m_log;
};

class FakeTray : public TrayShell {
public:
    bool Add(const NotifyIconData&) override { return true; }
    bool Modify(const NotifyIconData&) override { return true; }
    bool Delete(const NotifyIconData&) override { return true; }
    bool IsAvailable() const override { return true; }
};

/// Three instruments, each record as the service writes it.
inline const std::string kThreeRecords =
    "(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:0.1875)"
    "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)"
    "(Symbol:USDJPY,Price:151.20,Time:2026.12.08 10:00,Signal:0)";

class WindowTest : public ::testing::Test {
protected:
    ScratchFolder dir;
    std::shared_ptr<ServiceScript> script = std::make_shared<ServiceScript>();
    std::shared_ptr<ShellLog> shell = std::make_shared<ShellLog>();
    FakeBrowser* browser = nullptr;
    std::vector<std::string> reports;
    std::vector<std::string> messages;
    QDateTime now{QDate(2026, 12, 8), QTime(10, 15, 30)};
    /// When set, the window polls through this instead of the script.
    std::function<std::shared_ptr<HelloWorldPortType>()> serviceFactory;
    std::unique_ptr<TForm1> form;

    std::string exe() const { return dir / "quorvane"; }
    std::string ini() const { return dir / "quorvane.INI"; }

    /// Builds the window; FormCreate (and so the first poll) runs inside.
    TForm1& open()
    {
        FormServices s;
        s.executablePath = exe();
        auto script_ = script;
        s.signalService = serviceFactory ? serviceFactory
                                         : [script_] { return std::make_shared<FakeClient>(script_); };
        s.clock = [this] { return now; };
        auto b = std::make_unique<FakeBrowser>();
        browser = b.get();
        s.folderBrowser = std::move(b);
        s.shellOpener = std::make_unique<FakeShell>(shell);
        s.soundPlayer = std::make_unique<FakeSound>(shell);
        s.fileSystem = MakeRealFileSystem();
        s.trayShell = std::make_unique<FakeTray>();
        s.showMessage = [this](const std::string& m) { messages.push_back(m); };
        s.reportError = [this](const std::string& m) { reports.push_back(m); };
        form = std::make_unique<TForm1>(std::move(s));
        return *form;
    }

    /// Destroys the window; FormDestroy runs.
    void close() { form.reset(); }

    template <typename T>
    T* control(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
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
    /// Which picture of ImageList1 a lamp shows (-1: none yet).
    int picture(int imageNumber) const
    {
        auto* label = control<QLabel>(("Image" + std::to_string(imageNumber)).c_str());
        return label->pixmap().isNull() ? -1 : label->property("imageIndex").toInt();
    }
    std::string errorLog() const { return readFile(dir / "error_log.txt"); }
    bool exists(const std::string& path) const { return std::filesystem::exists(path); }
};

} // namespace quorvane::test
