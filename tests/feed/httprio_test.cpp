// The client on the wire: request headers and body, status and fault
// handling, connection lifetime and time-outs, against in-test servers.

#include "curlwebnode.h"
#include "exceptions.h"
#include "helloworld.h"
#include "httprio.h"
#include "loopbackserver.h"
#include "soapenvelope.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;

namespace {

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/soap/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string envelope(const std::string& value)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body><ns1:SignalResponse xmlns:ns1=\"urn:HelloWorld\"><return>"
        + value + "</return></ns1:SignalResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

LoopbackServer::Responder always(HttpReply reply)
{
    return [reply](const HttpRequest&, int) { return reply; };
}

std::unique_ptr<THTTPRIO> client(const std::string& url, std::chrono::milliseconds timeout = 2s)
{
    auto rio = std::make_unique<THTTPRIO>();
    rio->SetURL(url);
    rio->SetTimeouts(timeout, timeout);
    return rio;
}

std::string callMessage(HelloWorldPortType& service)
{
    try {
        return "returned: " + service.Signal(0, "");
    } catch (const Exception& e) {
        return e.what();
    }
}

} // namespace

TEST(HttpExchange, SendsThePostWithTheRequiredHeadersAndBody)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("(Symbol:EURUSD)"))));
    auto rio = client(server.url());
    EXPECT_EQ(rio->Signal(0, ""), "(Symbol:EURUSD)");

    const std::vector<HttpRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const HttpRequest& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/webservice/server.php");
    EXPECT_EQ(request.header("SOAPAction"), "\"urn:HelloWorld#Adder\"");
    EXPECT_EQ(request.header("Content-Type"), "text/xml");
    EXPECT_LT(request.headerIndex("SOAPAction"), request.headerIndex("Content-Type"));
    EXPECT_EQ(request.header("User-Agent"), "Quorvane SOAP 1.1");
    EXPECT_EQ(request.header("Accept"), "text/xml");
    EXPECT_EQ(request.headerIndex("Expect"), -1);
    EXPECT_EQ(request.body, BuildSignalRequest("urn:HelloWorld", 0, ""));
}

TEST(HttpExchange, QueryStaysInTheRequestTarget)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("x"))));
    auto rio = client(server.url("/svc/server.php?key=1"));
    rio->Signal(3, "a&b");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/svc/server.php?key=1");
    EXPECT_EQ(server.requests()[0].body, BuildSignalRequest("urn:HelloWorld", 3, "a&b"));
}

TEST(HttpExchange, StatusAndBodyDecideTheOutcome)
{
    struct Row {
        const char* name;
        HttpReply reply;
        std::string expected; // "returned: ..." or the message; %u: the URL
    };
    const std::string html = fixture("html_page.html");
    HttpReply interim;
    interim.raw = "HTTP/1.1 100 Continue\r\n\r\n" + httpReply(404, "Not Found", "gone").raw;
    HttpReply noReason;
    noReason.raw = "HTTP/1.1 503\r\nContent-Length: 0\r\n\r\n";
    HttpReply closeDelimited;
    closeDelimited.raw = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + envelope("till close");
    closeDelimited.close = true;
    const Row rows[] = {
        {"not_found_uses_status_text", httpReply(404, "Not Found", "<html/>"), "Not Found (404) - '%u'"},
        {"redirect_is_not_followed", httpReply(302, "Found", envelope("x")), "Found (302) - '%u'"},
        {"custom_status_text", httpReply(418, "Short And Stout", ""), "Short And Stout (418) - '%u'"},
        {"status_without_reason", noReason, " (503) - '%u'"},
        {"final_status_after_interim", interim, "Not Found (404) - '%u'"},
        {"fault_under_500", httpReply(500, "Internal Server Error", fixture("fault.xml")), "No signal today"},
        {"html_under_500_is_a_parse_error", httpReply(500, "Internal Server Error", html),
         "Opening and ending tag mismatch: hr line 5 and body\r\nLine: 6\r\n</body>"},
        {"xhtml_under_500", httpReply(500, "Internal Server Error", fixture("xhtml_page.xml")),
         "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
         "http://www.w3.org/1999/xhtml:html found"},
        {"header_only_envelope_is_empty_reply", httpReply(200, "OK", fixture("header_only.xml")), "returned: "},
        {"no_content_is_a_parse_error", httpReply(204, "No Content", ""), "Document is empty\r\nLine: 1\r\n"},
        {"any_content_type_is_read", httpReply(200, "OK", envelope("typed"), "text/plain"), "returned: typed"},
        {"body_till_close", closeDelimited, "returned: till close"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server(always(row.reply));
        auto rio = client(server.url());
        std::string expected = row.expected;
        if (const size_t at = expected.find("%u"); at != std::string::npos)
            expected.replace(at, 2, server.url());
        EXPECT_EQ(callMessage(*rio), expected);
    }
}

TEST(HttpExchange, FaultKeepsItsKind)
{
    LoopbackServer server(always(httpReply(500, "Internal Server Error", fixture("fault.xml"))));
    auto rio = client(server.url());
    EXPECT_THROW(rio->Signal(0, ""), ERemotableException);
}

TEST(Connection, CallsOfOneClientShareOneConnection)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("x"))));
    auto rio = client(server.url());
    rio->Signal(0, "");
    rio->Signal(0, "");
    rio->Signal(0, "");
    EXPECT_EQ(server.acceptedConnections(), 1);
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(Connection, StatusFailureClosesAndNextCallReopens)
{
    LoopbackServer server([](const HttpRequest&, int index) {
        return index == 1 ? httpReply(404, "Not Found", "") : httpReply(200, "OK", envelope("x"));
    });
    auto rio = client(server.url());
    rio->Signal(0, "");
    EXPECT_THROW(rio->Signal(0, ""), Exception);
    EXPECT_EQ(rio->Signal(0, ""), "x");
    EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST(Connection, DecodingFailureKeepsTheConnection)
{
    LoopbackServer server([](const HttpRequest&, int index) {
        return index == 0 ? httpReply(200, "OK", "not xml") : httpReply(200, "OK", envelope("x"));
    });
    auto rio = client(server.url());
    EXPECT_THROW(rio->Signal(0, ""), EDOMParseError);
    EXPECT_EQ(rio->Signal(0, ""), "x");
    EXPECT_EQ(server.acceptedConnections(), 1);
}

TEST(Connection, SettingTheUrlCloses)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("x"))));
    auto rio = client(server.url());
    rio->Signal(0, "");
    rio->SetURL(server.url());
    rio->Signal(0, "");
    EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST(Connection, ClientPerCallKeepsNothing)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("x"))));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(GetSignalService(false, server.url())->Signal(0, ""), "x");
    EXPECT_EQ(server.acceptedConnections(), 3);
}

TEST(Transport, SilentServerTimesOutQuicklyAndTheClientRecovers)
{
    LoopbackServer server([](const HttpRequest&, int index) {
        HttpReply reply = httpReply(200, "OK", envelope("late"));
        reply.silent = index == 0;
        return reply;
    });
    auto rio = client(server.url(), 200ms);
    const auto start = std::chrono::steady_clock::now();
    const std::string message = callMessage(*rio);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    const std::string suffix = " - URL:" + server.url() + " - SOAPAction:urn:HelloWorld#Adder";
    ASSERT_GT(message.size(), suffix.size()) << message;
    EXPECT_EQ(message.substr(message.size() - suffix.size()), suffix);
    EXPECT_NE(message.find("timed out"), std::string::npos) << message;

    EXPECT_EQ(rio->Signal(0, ""), "late");
    EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST(Transport, RefusedConnectionIsATransportError)
{
    int port = 0;
    {
        LoopbackServer closed(always(HttpReply{}));
        port = closed.port();
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/webservice/server.php";
    auto rio = client(url);
    const std::string message = callMessage(*rio);
    EXPECT_NE(message.find("Couldn't connect to server"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_NE(message.find(" - URL:" + url + " - SOAPAction:urn:HelloWorld#Adder"), std::string::npos) << message;
}

TEST(Transport, OversizedBodyStopsWithAClearMessage)
{
    const std::string big = envelope(std::string(64 * 1024, 'x'));
    HttpReply chunkless;
    chunkless.raw = "HTTP/1.0 200 OK\r\n\r\n" + big; // no length: only reading can tell
    chunkless.close = true;
    for (const HttpReply& reply : {httpReply(200, "OK", big), chunkless}) {
        LoopbackServer server(always(reply));
        auto node = std::make_unique<CurlWebNode>();
        node->SetMaxResponseBytes(16 * 1024);
        THTTPRIO rio(InvRegistry(), std::move(node));
        rio.SetURL(server.url());
        EXPECT_EQ(callMessage(rio), "Response body exceeds 16384 bytes - URL:" + server.url()
                      + " - SOAPAction:urn:HelloWorld#Adder");
    }
}

TEST(Factory, AddressRules)
{
    struct Row {
        const char* name;
        std::string address;
        bool valid;
        std::string host;
        int port;
        std::string path;
    };
    const Row rows[] = {
        {"empty_is_the_default_endpoint", "", true, "localhost", 80, "/webservice/server.php"},
        {"https_default_port", "https://signals.example/ws/server.php", true, "signals.example", 443, "/ws/server.php"},
        {"explicit_port", "http://10.0.0.5:8080/x.php", true, "10.0.0.5", 8080, "/x.php"},
        {"scheme_letter_case_ignored", "HTTP://Host/y", true, "Host", 80, "/y"},
        {"ftp_refused", "ftp://host/file", false, "", 0, ""},
        {"bare_host_refused", "localhost", false, "", 0, ""},
        {"file_refused", "file:///etc/passwd", false, "", 0, ""},
        {"gopher_refused", "gopher://host/", false, "", 0, ""},
        {"scheme_without_host_refused", "http://", false, "", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.valid) {
            try {
                GetSignalService(false, row.address);
                ADD_FAILURE() << "accepted " << row.address;
            } catch (const Exception& e) {
                EXPECT_EQ(e.what(), "Invalid url '" + row.address + "' - only supports 'http' and 'https' schemes");
            }
            continue;
        }
        auto service = GetSignalService(false, row.address);
        auto* rio = dynamic_cast<THTTPRIO*>(service.get());
        ASSERT_NE(rio, nullptr);
        EXPECT_EQ(rio->Endpoint().host, row.host);
        EXPECT_EQ(rio->Endpoint().port, row.port);
        EXPECT_EQ(rio->Endpoint().path, row.path);
        EXPECT_EQ(rio->URL(), row.address.empty() ? "http://localhost/webservice/server.php" : row.address);
        EXPECT_EQ(rio->SOAPAction(), "urn:HelloWorld#Adder");
    }
}

// ------------------------------------------------- registration, stand-in node

namespace {

class RecordingNode : public WebNode {
public:
    struct Shared {
        std::vector<std::string> actions;
        std::vector<std::string> bodies;
        std::vector<std::string> gets;
        int closes = 0;
        std::string response;
        std::string description;
    };
    explicit RecordingNode(Shared& shared) : m_shared(shared) {}
    std::string Execute(const EndpointUrl&, const std::string& soapAction, const std::string& body) override
    {
        m_shared.actions.push_back(soapAction);
        m_shared.bodies.push_back(body);
        return m_shared.response;
    }
    std::string Get(const EndpointUrl& endpoint) override
    {
        m_shared.gets.push_back(endpoint.url);
        return m_shared.description;
    }
    void Close() override { ++m_shared.closes; }
    void SetTimeouts(std::chrono::milliseconds, std::chrono::milliseconds) override {}

private:
    Shared& m_shared;
};

} // namespace

TEST(Registration, EveryCallReadsTheRegistryAgain)
{
    InvokableRegistry registry;
    RegisterHelloWorld(registry);
    RecordingNode::Shared shared;
    shared.response = envelope("ok");
    THTTPRIO rio(registry, std::make_unique<RecordingNode>(shared));
    rio.SetURL("http://127.0.0.1:1/webservice/server.php");

    EXPECT_EQ(rio.Signal(0, ""), "ok");
    InvokableInterface changed = *registry.Find("HelloWorldPortType");
    changed.soapAction = "";
    changed.nameSpace = "urn:Other";
    registry.RegisterInterface(changed);
    EXPECT_EQ(rio.Signal(0, ""), "ok");

    ASSERT_EQ(shared.actions.size(), 2u);
    EXPECT_EQ(shared.actions[0], "urn:HelloWorld#Adder");
    EXPECT_EQ(shared.actions[1], "");
    EXPECT_NE(shared.bodies[1].find("<NS1:Signal xmlns:NS1=\"urn:Other\">"), std::string::npos);
}

TEST(Registration, RegisteredReturnNamesAreUsed)
{
    InvokableRegistry registry;
    RegisterHelloWorld(registry);
    InvokableInterface info = *registry.Find("HelloWorldPortType");
    info.returnNames = "b";
    registry.RegisterInterface(info);
    RecordingNode::Shared shared;
    shared.response = fixture("return_none_matching.xml");
    THTTPRIO rio(registry, std::make_unique<RecordingNode>(shared));
    rio.SetURL("http://127.0.0.1:1/");
    EXPECT_EQ(rio.Signal(0, ""), "2");
}

TEST(Registration, UnregisteredInterfaceFailsWithoutSending)
{
    InvokableRegistry empty;
    RecordingNode::Shared shared;
    THTTPRIO rio(empty, std::make_unique<RecordingNode>(shared));
    rio.SetURL("http://127.0.0.1:1/");
    EXPECT_THROW(rio.Signal(0, ""), Exception);
    EXPECT_TRUE(shared.bodies.empty());
}

TEST(Registration, StartUpRegisteredTheServiceInterface)
{
    const std::optional<InvokableInterface> info = InvRegistry().Find("HelloWorldPortType");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->nameSpace, "urn:HelloWorld");
    EXPECT_EQ(info->soapAction, "urn:HelloWorld#Adder");
    EXPECT_EQ(info->guid, "{CAB034B5-7448-7FC5-49B4-EF856667DBDA}");
    EXPECT_TRUE(info->returnNames.empty());
}
