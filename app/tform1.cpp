// SPDX-License-Identifier: MIT
#include "tform1.h"

#include "ui_tform1.h"

#include "apppaths.h"
#include "clickfilter.h"
#include "bridge/commonfolder.h"
#include "display/decimal.h"
#include "core/exceptions.h"
#include "filelocations.h"
#include "feed/helloworld.h"
#include "hintswitch.h"
#include "app/historysetup.h"
#include "history/historypage.h"
#include "inifile.h"
#include "display/lampimages.h"
#include "bridge/platform.h"
#include "poll/logtimestamp.h"
#include "core/records.h"
#include "display/recordview.h"
#include "display/regional.h"
#include "settingcontrols.h"
#include "bridge/signalfiles.h"
#include "symbolselector.h"
#include "bridge/terminalfolder.h"
#include "trayicon/timagelist.h"
#include "trayicon/ttrayicon.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvane {

namespace {

constexpr int kPollInterval = 15000;
constexpr int kLayoutTimerInterval = 6000;

// Framework colour clGreen; clRed is plain red.
const QColor kClGreen(0, 128, 0);
const QColor kClRed(255, 0, 0);

std::string toText(const QString& s)
{
    return s.toLocal8Bit().toStdString();
}

FormServices withFileLocations(FormServices services)
{
    if (services.locations.settingsFile.empty())
        services.locations = fileLocationsBeside(services.executablePath);
    return services;
}

// The About page says where the user's files are, below the support box.
void showFileLocations(QWidget* page, const FileLocations& locations)
{
    auto* label = new QLabel(QString::fromLocal8Bit(describeFileLocations({locations, std::string()})), page);
    label->setObjectName(QStringLiteral("FileLocations"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setGeometry(24, 360, 689, 48);
}

} // namespace

TForm1::TForm1(FormServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_services(withFileLocations(std::move(services))),
      m_ui(std::make_unique<Ui::TForm1>()),
      m_poll(m_services.signalService, m_services.locations.errorLogFolder,
             [this] { return logTimestamp(m_services.clock()); }),
      m_alarmLog(m_services.locations.alarmLogFile)
{
    m_ui->setupUi(this);
    showFileLocations(m_ui->TabSheet3, m_services.locations);
    setFixedSize(776, 566);
    buildComponents();
    connectHandlers();
    addHistoryPage();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    runGuarded(m_services.reportError, [this] { FormCreate(); });
}

TForm1::~TForm1()
{
    if (!m_destroyed)
        runGuarded(m_services.reportError, [this] { FormDestroy(); });
}

// The History page fills TabSheet4. Its bands follow the maximum signal value
// as the lamps do; it reads the new records after every poll tick (connected
// after Timer1Timer, so the poll has finished and been recorded).
void TForm1::addHistoryPage()
{
    HistoryPage::Services services;
    services.nowUtcMs = [this] { return m_services.clock().toMSecsSinceEpoch(); };
    m_historyPage = new HistoryPage(m_services.history, std::move(services), m_ui->TabSheet4);
    m_historyPage->setObjectName(QStringLiteral("HistoryPage"));
    auto* layout = new QVBoxLayout(m_ui->TabSheet4);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_historyPage);
    m_historyPage->setMaximumSignal(m_ui->TrackBar1->value() * 0.01);
    connect(m_ui->TrackBar1, &QSlider::valueChanged, m_historyPage,
            [this](int position) { m_historyPage->setMaximumSignal(position * 0.01); });
    connect(m_timer, &QTimer::timeout, m_historyPage, guard([this] { m_historyPage->historyChanged(); }));
}

void TForm1::buildComponents()
{
    m_imageList = new TImageList(this);
    m_imageList->setObjectName(QStringLiteral("ImageList1"));
    for (const QIcon& icon : makeLampImages())
        m_imageList->Add(icon);
    for (int i = 0; i < m_imageList->Count(); ++i)
        m_pictures.push_back(m_imageList->Icon(i).pixmap(QSize(16, 16)));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    // Enabled at the layout's pace, as the window is loaded. FormCreate sets the
    // real interval; should it fail before that, polls still go on.
    m_timer->start(kLayoutTimerInterval);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_popupMenu->addAction(m_ui->N1);
    m_popupMenu->addAction(m_ui->N2);

    m_trayIcon = new TTrayIcon(this, this, std::move(m_services.trayShell));
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon1"));
    // A desktop without a notification area is reported, not fatal: the window
    // works without its tray icon.
    runGuarded(m_services.reportError, [this] { m_trayIcon->SetVisible(true); });
    m_trayIcon->SetHint("Quorvane 2.0");
    m_trayIcon->SetPopupMenu(m_popupMenu);
    m_trayIcon->SetHide(true);
    m_trayIcon->SetRestoreOn(imDoubleClick);
    m_trayIcon->SetPopupMenuOn(imRightClickUp);
    m_trayIcon->SetIcons(m_imageList);
    m_trayIcon->SetIconIndex(1);
    m_trayIcon->Loaded();
    m_notifications = std::make_unique<WindowNotifications>(m_services.notifier, m_trayIcon);

    m_images = {m_ui->Image1,  m_ui->Image2,  m_ui->Image3,  m_ui->Image4,  m_ui->Image5,  m_ui->Image6,
                m_ui->Image7,  m_ui->Image8,  m_ui->Image9,  m_ui->Image10, m_ui->Image11, m_ui->Image12,
                m_ui->Image13, m_ui->Image14, m_ui->Image15, m_ui->Image16, m_ui->Image17};
    // Until the first good display the lamp box shows sixteen white lamps, not
    // an empty frame; the arrow stays empty until the first signal that is not zero.
    for (std::size_t k = 0; k < 16; ++k)
        showPicture(m_images[k], 0);

    // The memos read as panels of the window, not as input fields.
    for (QWidget* memo : {static_cast<QWidget*>(m_ui->Memo2), static_cast<QWidget*>(m_ui->Memo3)}) {
        QPalette pal = memo->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Button));
        pal.setColor(QPalette::Text, Qt::black);
        memo->setPalette(pal);
    }
    m_ui->Memo2->setTabChangesFocus(true);

    m_hints = new HintSwitch(this);
    m_hints->exempt(m_ui->CheckBox1);
}

void TForm1::connectHandlers()
{
    connect(m_timer, &QTimer::timeout, this, guard([this] { Timer1Timer(); }));
    // activated, not currentIndexChanged: only the user's pick is a change.
    connect(m_ui->ComboBox3, &QComboBox::activated, this, guard([this] { ComboBox3Change(); }));
    connect(m_ui->TrackBar1, &QSlider::valueChanged, this, guard([this] { TrackBar1Change(); }));
    connect(m_ui->CheckBox1, &QCheckBox::toggled, this, guard([this] { CheckBox1Click(); }));
    connect(m_ui->Button1, &QPushButton::clicked, this, guard([this] { Button1Click(); }));
    connect(m_ui->Button2, &QPushButton::clicked, this, guard([this] { Button2Click(); }));
    connect(m_ui->Button5, &QPushButton::clicked, this, guard([this] { Button5Click(); }));
    // Also when the settings check it at start, after "mt4-path" has been resolved.
    connect(m_ui->CheckBox3, &QCheckBox::toggled, this, guard([this] { CheckBox3Click(); }));
    connect(m_ui->N1, &QAction::triggered, this, guard([this] { N1Click(); }));
    connect(m_ui->N2, &QAction::triggered, this, guard([this] { N2Click(); }));
    OnClick(m_ui->Label18, guard([this] { Label18Click(m_ui->Label18); }));
    OnClick(m_ui->Label21, guard([this] { Label18Click(m_ui->Label21); }));
    OnClick(m_ui->Label23, guard([this] { Label23Click(); }));
    OnClick(m_ui->Label25, guard([this] { Label25Click(); }));
}

// ---- lifecycle -------------------------------------------------------------

void TForm1::FormCreate()
{
    // GroupBox1 needs no switch: Qt widgets are always double-buffered.
    m_records.clear();
    m_alarmLog.Load();
    QString shown = QString::fromLocal8Bit(m_alarmLog.Text());
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_ui->Memo1->setPlainText(shown);
    readSettings();
    Timer1Timer();
    m_timer->setInterval(kPollInterval);
    m_timer->start();
}

void TForm1::FormDestroy()
{
    m_destroyed = true;
    m_records.clear();
    m_timer->stop();
    m_alarmLog.Save();
    writeSettings();
    deleteEurusdSignalFiles(m_poll.targets());
}

void TForm1::readSettings()
{
    const TIniFile ini(m_services.locations.settingsFile);
    for (const Setting& setting : formSettings()) {
        const SettingValue value = readSetting(ini, setting);
        QWidget* control = findChild<QWidget*>(QLatin1String(setting.control));
        if (control == m_ui->Edit2) {
            setFolder(std::get<std::string>(value));
            // Resolved once here and at "Select"; the poll only writes.
            setTerminalTargets(resolveTerminalTargets(folder()).targets);
            continue;
        }
        setControlValue(control, value);
        // The layout's "0.5" carries a point; where the regional separator is a
        // comma it would fail every conversion while MaxS stays 50 (no change
        // event). Writing the text once more costs nothing and keeps it readable.
        if (control == m_ui->TrackBar1)
            TrackBar1Change();
    }
    m_history = attachHistory(m_poll, m_services.locations.historyFile, readHistoryDays(ini),
                              [this] { return m_services.clock().toMSecsSinceEpoch(); });
    // The page shows what this window records, unless it was handed a history of its own.
    if (!m_services.history && m_history)
        m_historyPage->setSource(m_history.get());
}

void TForm1::writeSettings()
{
    TIniFile ini(m_services.locations.settingsFile);
    for (const Setting& setting : formSettings()) {
        if (!setting.written)
            continue;
        const QWidget* control = findChild<QWidget*>(QLatin1String(setting.control));
        writeSetting(ini, setting, control == m_ui->Edit2 ? SettingValue(folder()) : controlValue(control));
    }
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The regional settings changed while the program runs: Edit1 follows the
    // new decimal separator at once, so the next refresh can read it.
    if (event->type() == QEvent::LocaleChange)
        runGuarded(m_services.reportError, [this] { TrackBar1Change(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

// ---- poll cycle ------------------------------------------------------------

void TForm1::Timer1Timer()
{
    setStatus(PollStatus::Connected);
    PollOutcome outcome = m_poll.Poll([this](PollStatus status) { setStatus(status); });
    // A failed call leaves the previous records, so picking a symbol still works on them.
    if (outcome.status == PollStatus::Disconnect) {
        notifyAfterPoll(false);
        return;
    }
    m_records = std::move(outcome.records);
    if (!outcome.succeeded()) {
        notifyAfterPoll(true);
        return;
    }
    try {
        syncSymbolSelector();
        ShowSelectedRecord();
    } catch (const std::exception& e) {
        setStatus(PollStatus::DataError);
        m_poll.logFailure(e.what());
    }
    notifyAfterPoll(true);
}

void TForm1::SplitReply()
{
    m_records = quorvane::SplitReply(m_poll.replyText());
}

void TForm1::syncSymbolSelector()
{
    // No user pick: ComboBox3Change listens to activated() only, so it stays quiet.
    applySelectorUpdate(m_ui->ComboBox3, selectorUpdate(itemsBytes(m_ui->ComboBox3), m_records));
}

void TForm1::ComboBox3Change()
{
    ShowSelectedRecord();
}

void TForm1::setStatus(PollStatus status)
{
    m_ui->StatusBar1->showMessage(QString::fromLatin1(statusText(status)));
}

void TForm1::notifyAfterPoll(bool reached)
{
    m_notifications->afterPoll(m_services.clock(), reached, m_ui->NotifyLampsBox->currentIndex(), m_shown);
}

// ---- display ---------------------------------------------------------------

void TForm1::ShowSelectedRecord()
{
    const int index = m_ui->ComboBox3->currentIndex();
    const std::string& record = selectedRecord(m_records, index);
    const RecordView view = recordView(record, itemBytes(m_ui->ComboBox3, index), toText(m_ui->Edit1->text()),
                                       regionalDecimalSeparator());
    // A number that does not convert stops the refresh where it stands: what
    // comes after it keeps its previous state.
    m_ui->Label10->setText(QString::fromLocal8Bit(view.signalText));
    if (view.reach == ViewReach::SignalText)
        throw *view.failure;
    QPalette pal = m_ui->Label10->palette();
    pal.setColor(QPalette::WindowText, view.colour == SignalColour::Green ? kClGreen
                                       : view.colour == SignalColour::Red ? kClRed
                                                                           : palette().color(QPalette::WindowText));
    m_ui->Label10->setPalette(pal);
    if (view.reach == ViewReach::Colour)
        throw *view.failure;
    ShowLamps(view.maximum, view.signal);
    m_ui->Label2->setText(QString::fromLocal8Bit(view.shortName));
    m_ui->Label4->setText(QString::fromLocal8Bit(view.price));
    m_ui->Label8->setText(QString::fromLocal8Bit(view.time));
    m_trayIcon->SetHint(view.hint);
    m_shown = symbolFacts(view);
}

void TForm1::ShowLamps(double maximum, double signal)
{
    showLamps(lampView(maximum, signal));
}

void TForm1::showLamps(const LampView& view)
{
    for (std::size_t k = 0; k < view.lamps.size(); ++k)
        showPicture(m_images[k], view.lamps[k]);
    if (view.arrow >= 0)
        showPicture(m_images[16], view.arrow);
    m_trayIcon->SetIconIndex(view.trayImage);
    // Every lamp is on screen in its new state before the handler returns;
    // the back buffer keeps the white-then-lit sequence from showing.
    m_ui->GroupBox1->repaint();
}

void TForm1::showPicture(QLabel* label, int index)
{
    // The index rides along as a property so that what a lamp shows can be read back.
    if (label->property("imageIndex").toInt() == index && !label->pixmap().isNull())
        return;
    label->setPixmap(m_pictures.at(static_cast<std::size_t>(index)));
    label->setProperty("imageIndex", index);
}

void TForm1::TrackBar1Change()
{
    m_ui->Edit1->setText(
        QString::fromLocal8Bit(maxSignalText(m_ui->TrackBar1->value(), regionalDecimalSeparator())));
}

// ---- helpers ---------------------------------------------------------------

std::string TForm1::folder() const
{
    return m_terminalFolder;
}

void TForm1::setFolder(const std::string& folder)
{
    m_terminalFolder = folder;
    m_ui->Edit2->setText(QString::fromLocal8Bit(folder));
}

void TForm1::setTerminalTargets(std::vector<TerminalTarget> targets)
{
    // Checked here, when the folder or the box changes, never in the poll: a
    // refused shared folder is one line in the error log, not one per poll.
    TargetsToServe served = targetsToServe(std::move(targets), m_ui->CheckBox3->isChecked());
    m_ui->Edit2->setToolTip(QString::fromLocal8Bit(signalFoldersHint(served.targets)));
    m_poll.setTargets(std::move(served.targets));
    for (const std::string& refusal : served.refusals)
        m_poll.logFailure(refusal);
}

} // namespace quorvane
