// SPDX-License-Identifier: MIT
#include "qtplatform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QString>
#include <QUrl>
#include <QWidget>

namespace quorvane {

namespace {

QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

class QtFolderBrowser final : public FolderBrowser {
public:
    explicit QtFolderBrowser(QWidget* parent) : m_parent(parent) {}

    std::optional<std::string> Browse(const std::string& caption, const std::string& initialFolder) override
    {
        const QString chosen = QFileDialog::getExistingDirectory(
            m_parent.data(), fromLocal(caption), fromLocal(initialFolder), QFileDialog::ShowDirsOnly);
        if (chosen.isEmpty())
            return std::nullopt;
        return toLocal(QDir::toNativeSeparators(QDir::cleanPath(chosen)));
    }

private:
    QPointer<QWidget> m_parent;
};

bool looksLikeUrl(const QString& target)
{
    // "mailto:x@y" and "https://..." have a scheme; a local path does not
    // (a one-letter scheme would be a drive letter, not a web address).
    const QUrl url(target);
    return url.isValid() && url.scheme().size() > 1;
}

bool isWindowsProgram(const QString& target)
{
    return !looksLikeUrl(target) && target.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

class DesktopShellOpener final : public ShellOpener {
public:
    void Open(const std::string& verb, const std::string& target) override
    {
        static_cast<void>(verb); // the desktop has only one way to open things
        const QString text = fromLocal(target);
        if (isWindowsProgram(text)) {
            // Windows programs run under Wine here when it is installed.
            const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
            if (!wine.isEmpty()) {
                QProcess::startDetached(wine, {text});
                return;
            }
        }
        const QUrl url = looksLikeUrl(text) ? QUrl(text) : QUrl::fromLocalFile(text);
        QDesktopServices::openUrl(url);
    }

    std::string missingToOpen(const std::string& target) const override
    {
        if (!isWindowsProgram(fromLocal(target)) || !QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
            return {};
        return "Wine is not installed (there is no \"wine\" program on the PATH); the terminal is a Windows "
               "program and runs under Wine. Install Wine (Debian: apt install wine) and try again.";
    }
};

} // namespace

std::string resolveSoundFile(const std::string& name, const std::string& currentDir, const std::string& programDir)
{
    if (name.empty())
        return {};
    const QString file = fromLocal(name);
    QStringList candidates;
    if (QDir::isAbsolutePath(file) || file.contains(QLatin1Char('/'))) {
        candidates << QDir(fromLocal(currentDir)).absoluteFilePath(file);
    } else {
        // The platform's own search: the current directory before the program's folder.
        for (const std::string& dir : {currentDir, programDir}) {
            if (!dir.empty())
                candidates << QDir(fromLocal(dir)).absoluteFilePath(file);
        }
    }
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable())
            return toLocal(QDir::cleanPath(info.absoluteFilePath()));
    }
    return {};
}

QtSoundPlayer::QtSoundPlayer(QObject* parent, std::string programDir)
    : m_programDir(std::move(programDir)), m_effect(new QSoundEffect(parent))
{
    if (m_programDir.empty())
        m_programDir = toLocal(QCoreApplication::applicationDirPath());
}

QtSoundPlayer::~QtSoundPlayer()
{
    // The parent may have gone first; QPointer knows.
    delete m_effect.data();
}

void QtSoundPlayer::PlayAsync(const std::string& name)
{
    m_lastResolved = resolveSoundFile(name, toLocal(QDir::currentPath()), m_programDir);
    if (m_lastResolved.empty() || !m_effect) {
        QApplication::beep();
        return;
    }
    // A new request replaces one still playing.
    m_effect->stop();
    m_effect->setSource(QUrl::fromLocalFile(fromLocal(m_lastResolved)));
    m_effect->play();
}

std::unique_ptr<FolderBrowser> makeQtFolderBrowser(QWidget* parent)
{
    return std::make_unique<QtFolderBrowser>(parent);
}

std::unique_ptr<ShellOpener> makeDesktopShellOpener()
{
    return std::make_unique<DesktopShellOpener>();
}

std::unique_ptr<SoundPlayer> makeQtSoundPlayer(QObject* parent)
{
    return std::make_unique<QtSoundPlayer>(parent);
}

} // namespace quorvane
