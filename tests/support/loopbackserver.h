// SPDX-License-Identifier: MIT
#pragma once
// A tiny HTTP/1.1 server on 127.0.0.1 for transport tests: one connection at
// a time, canned replies chosen per request, counts accepted connections.
// Optionally https, with a certificate the test makes.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct ssl_ctx_st;
struct ssl_st;

namespace quorvane::test {

struct TestCertificate;

struct HttpRequest {
    std::string method, target;
    std::vector<std::pair<std::string, std::string>> headers; ///< in the order sent
    std::string body;

    /// Value of the first header named `name` (case-insensitive), or "".
    std::string header(const std::string& name) const;
    /// Position of the header in the request, or -1.
    int headerIndex(const std::string& name) const;
};

struct HttpReply {
    std::string raw;          ///< bytes written back, status line included
    bool close = false;       ///< close the connection after writing
    bool silent = false;      ///< write nothing and keep the connection open
};

/// A complete response with Content-Length.
HttpReply httpReply(int status, const std::string& reason, const std::string& body,
                    const std::string& contentType = "text/xml; charset=utf-8");

class LoopbackServer {
public:
    using Responder = std::function<HttpReply(const HttpRequest&, int index)>;

    explicit LoopbackServer(Responder responder);
    /// Serves https, presenting `identity`. A connection whose handshake
    /// fails is closed without a request.
    LoopbackServer(Responder responder, const TestCertificate& identity);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return m_port; }
    std::string url(const std::string& path = "/webservice/server.php") const;
    int acceptedConnections() const { return m_accepted.load(); }
    std::vector<HttpRequest> requests() const;

private:
    void start();
    void serve(int connection, ssl_st* tls);
    bool handshake(int connection, ssl_st* tls) const;
    bool waitReadable(int fd) const;

    Responder m_responder;
    ssl_ctx_st* m_tls = nullptr;
    int m_listen = -1, m_port = 0, m_wake[2] = {-1, -1};
    std::atomic<int> m_accepted{0};
    mutable std::mutex m_lock;
    std::vector<HttpRequest> m_requests;
    std::thread m_thread;
};

} // namespace quorvane::test
