// SPDX-License-Identifier: MIT
#include "terminationwatch.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvane {

namespace {

// The handler may only write to a descriptor; everything else happens when the
// event loop reads the other end.
int g_fds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int sig)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
    errno = saved;
}

} // namespace

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent)
{
    if (g_fds[0] != -1)
        throw std::logic_error("only one termination watch may exist");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        throw std::runtime_error("cannot create the termination pipe");
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatch::readPipe);

    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        ::sigaction(sig, &sa, nullptr);
}

TerminationWatch::~TerminationWatch()
{
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals)
        ::sigaction(sig, &sa, nullptr);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

bool TerminationWatch::requested()
{
    readPipe();
    return m_requested;
}

void TerminationWatch::readPipe()
{
    unsigned char byte = 0;
    while (::recv(g_fds[1], &byte, 1, MSG_DONTWAIT) == 1) {
        m_requested = true;
        // A message box waits in a loop of its own; closing it lets the code
        // that opened it (start-up, a handler) go on to the normal end.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isModal() && window->isVisible())
                window->close();
        }
        emit terminationRequested(byte);
    }
}

} // namespace quorvane
