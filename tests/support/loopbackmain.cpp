// A scripted signal service on the loopback interface for the soak and fault
// tests. It prints its port on stdout and then serves forever, one connection
// at a time; the request path picks the answer, so every poll says what it
// wants and the service keeps no schedule of its own:
//   /good/<n>        three records, the prices tagged with n
//   /slow/<ms>/<n>   like /good/<n>, after a delay of ms milliseconds
//   /empty           an empty return element
//   /norecord        a reply text without any ")"
//   /badsignal/<n>   records whose Signal is no number
//   /malformed       a body that is not XML
//   /fault           HTTP 500 with a SOAP fault "Server is busy"
//   /404             HTTP 404 Not Found
//   /drop            the request is read, the connection closed unanswered
//   /midbody         headers promise 1000 bytes, 100 arrive, then close
//   /hang            headers promise a body that never comes
//   /huge            a body larger than any client should accept
//   /symbol/<hex>    one record whose Symbol is the hex-encoded text
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

namespace {

constexpr const char* kEnvelopeHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<SOAP-ENV:Body>";
constexpr const char* kEnvelopeTail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

std::string envelope(const std::string& reply)
{
    return std::string(kEnvelopeHead) + "<ns1:SignalResponse xmlns:ns1=\"urn:HelloWorld\">"
        + "<return xsi:type=\"xsd:string\">" + reply + "</return></ns1:SignalResponse>" + kEnvelopeTail;
}

std::string records(const std::string& tag, const std::string& signal)
{
    return "(Symbol=EURUSD,Price=1.0" + tag + ",Time=2026.12.08 10:15,Signal=" + signal + ")"
        + "(Symbol=GBPUSD,Price=1.2" + tag + ",Time=2026.12.08 10:15,Signal=-0.18)"
        + "(Symbol=USDJPYm,Price=148." + tag + ",Time=2026.12.08 10:15,Signal=0.05)";
}

std::string response(int status, const char* reason, const std::string& body)
{
    return "HTTP/1.1 " + std::to_string(status) + " " + reason
        + "\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\n\r\n" + body;
}

bool sendAll(int fd, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the request head and its body; returns the request target or "" when
// the client gave up first.
std::string readRequest(int fd)
{
    std::string data;
    char buffer[4096];
    std::size_t headEnd = std::string::npos;
    std::size_t need = 0;
    for (;;) {
        if (headEnd != std::string::npos && data.size() >= headEnd + 4 + need)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return {};
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        data.append(buffer, static_cast<std::size_t>(n));
        if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            const std::size_t at = data.find("Content-Length:");
            if (at != std::string::npos && at < headEnd)
                need = std::strtoul(data.c_str() + at + 15, nullptr, 10);
        }
    }
    const std::size_t first = data.find(' ');
    const std::size_t second = data.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return {};
    return data.substr(first + 1, second - first - 1);
}

std::string segment(const std::string& path, int index)
{
    std::size_t start = 0;
    for (int i = 0; i <= index; ++i) {
        start = path.find('/', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    return path.substr(start, path.find('/', start) - start);
}

std::string fromHex(const std::string& hex)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return text;
}

// Connections left hanging on purpose; the oldest are let go once enough pile up.
std::deque<int> g_hanging;

void serve(int fd)
{
    const std::string path = readRequest(fd);
    const std::string kind = segment(path, 0);
    bool close = true;
    if (kind == "good") {
        sendAll(fd, response(200, "OK", envelope(records(segment(path, 1), "0.42"))));
    } else if (kind == "slow") {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(segment(path, 1).c_str())));
        sendAll(fd, response(200, "OK", envelope(records(segment(path, 2), "0.42"))));
    } else if (kind == "empty") {
        sendAll(fd, response(200, "OK", envelope("")));
    } else if (kind == "norecord") {
        sendAll(fd, response(200, "OK", envelope("Symbol=EURUSD no record here")));
    } else if (kind == "badsignal") {
        sendAll(fd, response(200, "OK", envelope(records(segment(path, 1), "abc"))));
    } else if (kind == "malformed") {
        sendAll(fd, response(200, "OK", "<html><body><p>Service under maintenance</body>"));
    } else if (kind == "fault") {
        sendAll(fd, response(500, "Internal Server Error",
                             std::string(kEnvelopeHead) + "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>"
                                 + "<faultstring>Server is busy</faultstring></SOAP-ENV:Fault>" + kEnvelopeTail));
    } else if (kind == "404") {
        sendAll(fd, response(404, "Not Found", "<html><body>Not Found</body></html>"));
    } else if (kind == "drop") {
        // Nothing: the connection closes unanswered.
    } else if (kind == "midbody") {
        const std::string body = envelope(records("1", "0.42"));
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 1000\r\n\r\n" + body.substr(0, 100));
    } else if (kind == "hang") {
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 1000\r\n\r\n");
        close = false;
    } else if (kind == "huge") {
        const std::string chunk(1 << 20, ' ');
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n");
        for (int i = 0; i < 64 && sendAll(fd, chunk); ++i) {
        }
    } else if (kind == "symbol") {
        const std::string symbol = fromHex(segment(path, 1));
        sendAll(fd, response(200, "OK", envelope("(Symbol=" + symbol + ",Price=1.1,Time=10:15,Signal=0.1)")));
    } else {
        sendAll(fd, response(400, "Bad Request", "unknown case " + path));
    }
    if (close) {
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
        return;
    }
    g_hanging.push_back(fd);
    while (g_hanging.size() > 32) {
        ::close(g_hanging.front());
        g_hanging.pop_front();
    }
}

} // namespace

int main()
{
    // Never outlive the test that started us.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 64) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("loopback service");
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            std::perror("accept");
            return 1;
        }
        serve(fd);
    }
}
