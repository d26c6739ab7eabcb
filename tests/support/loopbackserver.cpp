// SPDX-License-Identifier: MIT
#include "loopbackserver.h"

#include "testcertificates.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace quorvane::test {

std::string HttpRequest::header(const std::string& name) const
{
    const int at = headerIndex(name);
    return at < 0 ? std::string() : headers[static_cast<size_t>(at)].second;
}

int HttpRequest::headerIndex(const std::string& name) const
{
    for (size_t i = 0; i < headers.size(); ++i)
        if (::strcasecmp(headers[i].first.c_str(), name.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

HttpReply httpReply(int status, const std::string& reason, const std::string& body, const std::string& contentType)
{
    return {"HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: " + contentType
            + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body};
}

LoopbackServer::LoopbackServer(Responder responder) : m_responder(std::move(responder))
{
    start();
}

LoopbackServer::LoopbackServer(Responder responder, const TestCertificate& identity)
    : m_responder(std::move(responder)), m_tls(newServerContext(identity))
{
    start();
}

void LoopbackServer::start()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::pipe(m_wake) != 0
        || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listen, 8) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("loopback server: cannot listen");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] {
        // Writing TLS to a client that has gone raises SIGPIPE; here it only
        // fails the write.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        while (waitReadable(m_listen)) {
            const int connection = ::accept(m_listen, nullptr, nullptr);
            if (connection >= 0) {
                ++m_accepted;
                SSL* tls = m_tls ? SSL_new(m_tls) : nullptr;
                if (!m_tls || (tls && handshake(connection, tls))) {
                    serve(connection, tls);
                    if (tls)
                        (void)SSL_shutdown(tls);
                }
                SSL_free(tls);
                ERR_clear_error();
                ::close(connection);
            }
        }
    });
}

LoopbackServer::~LoopbackServer()
{
    (void)!::write(m_wake[1], "s", 1);
    m_thread.join();
    for (const int fd : {m_listen, m_wake[0], m_wake[1]})
        ::close(fd);
    SSL_CTX_free(m_tls);
}

std::string LoopbackServer::url(const std::string& path) const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) + path;
}

std::vector<HttpRequest> LoopbackServer::requests() const
{
    std::lock_guard lock(m_lock);
    return m_requests;
}

// True when `fd` has data (or was closed); false when the server stops.
bool LoopbackServer::waitReadable(int fd) const
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
}

// The handshake runs non-blocking, so that a client that never finishes it
// cannot keep the server from stopping.
bool LoopbackServer::handshake(int connection, SSL* tls) const
{
    const int flags = ::fcntl(connection, F_GETFL);
    if (flags < 0 || SSL_set_fd(tls, connection) != 1 || ::fcntl(connection, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    for (;;) {
        const int rc = SSL_accept(tls);
        if (rc == 1)
            break;
        const int error = SSL_get_error(tls, rc);
        if (error == SSL_ERROR_WANT_READ) {
            if (!waitReadable(connection))
                return false;
        } else if (error == SSL_ERROR_WANT_WRITE) {
            pollfd out = {connection, POLLOUT, 0};
            (void)::poll(&out, 1, -1);
        } else {
            return false; // the client refused us, or spoke no TLS
        }
    }
    return ::fcntl(connection, F_SETFL, flags) == 0;
}

void LoopbackServer::serve(int connection, SSL* tls)
{
    std::string buffer;
    const auto fill = [&] {
        char chunk[65536];
        // TLS may hold decrypted bytes that poll cannot see.
        const bool ready = (tls && SSL_pending(tls) > 0) || waitReadable(connection);
        const ssize_t n = !ready ? 0
            : tls                ? SSL_read(tls, chunk, static_cast<int>(sizeof chunk))
                                 : ::recv(connection, chunk, sizeof chunk, 0);
        if (n > 0)
            buffer.append(chunk, static_cast<size_t>(n));
        return n > 0;
    };
    for (;;) {
        size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos)
            if (!fill())
                return;
        HttpRequest request;
        std::istringstream head(buffer.substr(0, end + 2));
        std::string line;
        std::getline(head, line);
        std::istringstream(line) >> request.method >> request.target;
        while (std::getline(head, line)) {
            const size_t colon = line.find(':');
            const size_t value = line.find_first_not_of(' ', colon + 1);
            if (colon != std::string::npos)
                request.headers.emplace_back(line.substr(0, colon), line.substr(value, line.size() - 1 - value));
        }
        const std::string length = request.header("Content-Length");
        const size_t bodyLength = length.empty() ? 0 : std::stoul(length);
        buffer.erase(0, end + 4);
        while (buffer.size() < bodyLength)
            if (!fill())
                return;
        request.body = buffer.substr(0, bodyLength);
        buffer.erase(0, bodyLength);

        std::unique_lock lock(m_lock);
        m_requests.push_back(request);
        const int index = static_cast<int>(m_requests.size()) - 1;
        lock.unlock();
        const HttpReply reply = m_responder(request, index);
        if (reply.silent) { // hold the connection until the client gives up or we stop
            while (fill()) {
            }
            return;
        }
        for (size_t done = 0; done < reply.raw.size();) {
            const char* data = reply.raw.data() + done;
            const size_t size = reply.raw.size() - done;
            const ssize_t n = tls ? SSL_write(tls, data, static_cast<int>(size))
                                  : ::send(connection, data, size, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<size_t>(n);
        }
        if (reply.close)
            return;
    }
}

} // namespace quorvane::test
