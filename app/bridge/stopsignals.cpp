// SPDX-License-Identifier: MIT
#include "app/bridge/stopsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace quorvane {

namespace {

sigset_t stopSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    return set;
}

} // namespace

void blockStopSignals()
{
    const sigset_t set = stopSet();
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        throw std::runtime_error("cannot block the termination signals");
}

void unblockStopSignals()
{
    const sigset_t set = stopSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    blockStopSignals();
    const sigset_t set = stopSet();
    m_fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (m_fd < 0)
        throw std::runtime_error(std::string("cannot watch the termination signals: ") + std::strerror(errno));
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignals);
}

StopSignals::~StopSignals()
{
    delete m_notifier;
    ::close(m_fd);
}

void StopSignals::readSignals()
{
    signalfd_siginfo info {};
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit stopRequested(static_cast<int>(info.ssi_signo));
}

std::string signalName(int signalNumber)
{
    if (const char* name = sigabbrev_np(signalNumber))
        return std::string("SIG") + name;
    return "signal " + std::to_string(signalNumber);
}

} // namespace quorvane
