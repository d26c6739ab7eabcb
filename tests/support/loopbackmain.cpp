// SPDX-License-Identifier: MIT
// A scripted signal service on the loopback interface for the soak and fault
// tests: the in-process LoopbackServer run in a process of its own, so that its
// sockets and memory never count against the window under test. It prints its
// port on stdout and then serves until killed, one connection at a time; the
// request path picks the answer, so every poll says what it wants and the
// service keeps no schedule of its own:
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
#include "loopbackserver.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using quorvane::test::HttpReply;
using quorvane::test::HttpRequest;

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

// Every answer closes its connection, as a busy PHP service does.
HttpReply answer(int status, const char* reason, const std::string& body)
{
    return {"HTTP/1.1 " + std::to_string(status) + " " + reason
                + "\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: "
                + std::to_string(body.size()) + "\r\n\r\n" + body,
            true};
}

HttpReply rawAnswer(std::string raw, bool close = true)
{
    return {std::move(raw), close};
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

HttpReply script(const HttpRequest& request, int)
{
    const std::string& path = request.target;
    const std::string kind = segment(path, 0);
    if (kind == "good")
        return answer(200, "OK", envelope(records(segment(path, 1), "0.42")));
    if (kind == "slow") {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(segment(path, 1).c_str())));
        return answer(200, "OK", envelope(records(segment(path, 2), "0.42")));
    }
    if (kind == "empty")
        return answer(200, "OK", envelope(""));
    if (kind == "norecord")
        return answer(200, "OK", envelope("Symbol=EURUSD no record here"));
    if (kind == "badsignal")
        return answer(200, "OK", envelope(records(segment(path, 1), "abc")));
    if (kind == "malformed")
        return answer(200, "OK", "<html><body><p>Service under maintenance</body>");
    if (kind == "fault")
        return answer(500, "Internal Server Error",
                      std::string(kEnvelopeHead) + "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>"
                          + "<faultstring>Server is busy</faultstring></SOAP-ENV:Fault>" + kEnvelopeTail);
    if (kind == "404")
        return answer(404, "Not Found", "<html><body>Not Found</body></html>");
    if (kind == "drop")
        return rawAnswer(std::string());
    if (kind == "midbody")
        return rawAnswer("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 1000\r\n\r\n"
                         + envelope(records("1", "0.42")).substr(0, 100));
    if (kind == "hang") // the connection stays until the client gives up
        return rawAnswer("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 1000\r\n\r\n", false);
    if (kind == "huge")
        return rawAnswer("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n"
                         + std::string(std::size_t(64) << 20, ' '));
    if (kind == "symbol")
        return answer(200, "OK",
                      envelope("(Symbol=" + fromHex(segment(path, 1)) + ",Price=1.1,Time=10:15,Signal=0.1)"));
    return answer(400, "Bad Request", "unknown case " + path);
}

} // namespace

int main()
{
    // Never outlive the test that started us.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::signal(SIGPIPE, SIG_IGN);
    try {
        const quorvane::test::LoopbackServer server(script);
        std::printf("%d\n", server.port());
        std::fflush(stdout);
        for (;;)
            ::pause();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "loopback service: %s\n", e.what());
        return 1;
    }
}
