// SPDX-License-Identifier: MIT
// TForm1's button, link and menu handlers: the terminal bridge, the chime and
// the shell. Each hands its work to bridge/ or the platform services.

#include "tform1.h"

#include "ui_tform1.h"

#include "apppaths.h"
#include "hintswitch.h"
#include "bridge/signalfiles.h"
#include "bridge/terminalfolder.h"
#include "trayicon/ttrayicon.h"

namespace quorvane {

namespace {

// The product home page behind Label23.
constexpr const char* kHomePage = "https://quorvane.example/";

std::string toText(const QString& s)
{
    return s.toLocal8Bit().toStdString();
}

} // namespace

// ---- terminal bridge and alarms --------------------------------------------

void TForm1::WriteSignalFiles()
{
    quorvane::WriteSignalFiles(m_poll.targets(), m_records);
}

void TForm1::Button1Click()
{
    const FolderChoice choice = chooseTerminalFolder(folder(), m_poll.targets(), executableFolder(m_services.executablePath),
                                                     *m_services.folderBrowser, *m_services.fileSystem);
    // Cleared before the message, so no poll behind the box writes into a
    // folder that has just been refused.
    setFolder(choice.folder);
    setTerminalTargets(choice.targets);
    if (choice.notMt4)
        m_services.showMessage(kNotMt4Message);
    if (choice.noDataFolder)
        m_services.showMessage(kNoDataFolderMessage);
}

void TForm1::Button2Click()
{
    const std::string missing = callTerminal(folder(), *m_services.shellOpener, *m_services.fileSystem);
    if (!missing.empty())
        m_services.showMessage(missing);
}

void TForm1::CheckBox3Click()
{
    setTerminalTargets(m_poll.targets());
}

void TForm1::Button5Click()
{
    playOpenSound(*m_services.soundPlayer);
}

// ---- layout handlers -------------------------------------------------------

void TForm1::Label18Click(QLabel* sender)
{
    m_services.shellOpener->Open("open", toText(sender->text()));
}

void TForm1::Label23Click()
{
    m_services.shellOpener->Open("Open", kHomePage);
}

void TForm1::Label25Click()
{
    m_services.shellOpener->Open("open", "mailto:" + toText(m_ui->Label25->text()));
}

void TForm1::CheckBox1Click()
{
    m_hints->setEnabled(m_ui->CheckBox1->isChecked());
}

void TForm1::N1Click()
{
    m_trayIcon->Restore();
}

void TForm1::N2Click()
{
    close();
}

} // namespace quorvane
