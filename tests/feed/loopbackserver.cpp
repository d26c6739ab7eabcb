#include "loopbackserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace quorvane::test {

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

void writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace

std::string HttpRequest::header(const std::string& name) const
{
    const int at = headerIndex(name);
    return at < 0 ? std::string() : headers[static_cast<size_t>(at)].second;
}

int HttpRequest::headerIndex(const std::string& name) const
{
    for (size_t i = 0; i < headers.size(); ++i) {
        if (lower(headers[i].first) == lower(name))
            return static_cast<int>(i);
    }
    return -1;
}

HttpReply httpReply(int status, const std::string& reason, const std::string& body, const std::string& contentType)
{
    HttpReply reply;
    reply.raw = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: " + contentType
        + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    return reply;
}

LoopbackServer::LoopbackServer(Responder responder) : m_responder(std::move(responder))
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listen < 0 || ::pipe(m_wake) != 0)
        throw std::runtime_error("loopback server: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listen, 8) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("loopback server: cannot listen");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

LoopbackServer::~LoopbackServer()
{
    const char stop = 's';
    (void)!::write(m_wake[1], &stop, 1);
    m_thread.join();
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string LoopbackServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
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

void LoopbackServer::run()
{
    while (waitReadable(m_listen)) {
        const int connection = ::accept(m_listen, nullptr, nullptr);
        if (connection < 0)
            continue;
        ++m_accepted;
        serve(connection);
        ::close(connection);
    }
}

void LoopbackServer::serve(int connection)
{
    std::string buffer;
    char chunk[65536];
    const auto fill = [&] {
        if (!waitReadable(connection))
            return false;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(n));
        return true;
    };
    for (;;) {
        size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!fill())
                return;
        }
        HttpRequest request;
        const std::string head = buffer.substr(0, end);
        size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        request.method = requestLine.substr(0, requestLine.find(' '));
        const size_t targetAt = requestLine.find(' ') + 1;
        request.target = requestLine.substr(targetAt, requestLine.find(' ', targetAt) - targetAt);
        while (lineEnd != std::string::npos && lineEnd < head.size()) {
            const size_t next = head.find("\r\n", lineEnd + 2);
            const std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
            const size_t colon = line.find(':');
            if (colon != std::string::npos) {
                std::string value = line.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                request.headers.emplace_back(line.substr(0, colon), value);
            }
            lineEnd = next;
        }
        const std::string length = request.header("Content-Length");
        const size_t bodyLength = length.empty() ? 0 : std::stoul(length);
        buffer.erase(0, end + 4);
        while (buffer.size() < bodyLength) {
            if (!fill())
                return;
        }
        request.body = buffer.substr(0, bodyLength);
        buffer.erase(0, bodyLength);

        int index = 0;
        {
            std::lock_guard lock(m_lock);
            m_requests.push_back(request);
            index = static_cast<int>(m_requests.size()) - 1;
        }
        const HttpReply reply = m_responder(request, index);
        if (reply.silent) {
            // Hold the connection until the client gives up or we stop.
            while (fill()) {
            }
            return;
        }
        writeAll(connection, reply.raw);
        if (reply.close)
            return;
    }
}

} // namespace quorvane::test
