// SPDX-License-Identifier: MIT
// The client on the wire against in-test loopback servers: request headers
// and body, status and fault handling, connection lifetime, time-outs, size,
// and the description form (WSDL).

#include "tests/support/feedtest.h"
#include "feed/helloworld.h"
#include "feed/httprio.h"
#include "tests/support/loopbackserver.h"
#include "feed/soapenvelope.h"
#include "feed/wsdl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;
using namespace ::testing;

namespace {

LoopbackServer::Responder always(HttpReply reply)
{
    return [reply](const HttpRequest&, int) { return reply; };
}

std::unique_ptr<THTTPRIO> client(const std::string& url, std::chrono::milliseconds timeout = 2s,
                                 const InvokableRegistry& registry = invRegistry())
{
    auto rio = std::make_unique<THTTPRIO>(registry);
    rio->SetURL(url);
    rio->SetTimeouts(timeout, timeout);
    return rio;
}

std::string call(HelloWorldPortType& service)
{
    return outcome([&] { return service.Signal(0, ""); });
}

// "METHOD target SOAPAction" of every request the server saw.
std::vector<std::string> seen(const LoopbackServer& server)
{
    std::vector<std::string> lines;
    for (const HttpRequest& request : server.requests())
        lines.push_back(request.method + " " + request.target + " " + request.header("SOAPAction"));
    return lines;
}

// A transport error on one line: "<curl's text> - URL:<url> - SOAPAction:<action>".
Matcher<std::string> transportError(const std::string& text, const std::string& url)
{
    return AllOf(StartsWith("Exception: "), HasSubstr(text), Not(HasSubstr("\n")),
                 EndsWith(" - URL:" + url + " - SOAPAction:urn:HelloWorld#Adder"));
}

// The description the demo service serves, bound to `endpoint`, with `action`.
std::string demoWsdl(const std::string& endpoint, const std::string& action = "urn:HelloWorld#Adder")
{
    std::string wsdl = readFile(std::string(QUORVANE_SOURCE_DIR) + "/sim/docroot/webservice/helloworld.wsdl");
    wsdl.replace(wsdl.find("@ENDPOINT@"), 10, endpoint);
    return wsdl.replace(wsdl.find("urn:HelloWorld#Adder"), 20, action);
}

// GET: the demo description pointing at `path` on this server, with `action`; POST: a reply.
LoopbackServer::Responder describing(const std::string& path, const std::string& action)
{
    return [=](const HttpRequest& request, int) {
        return httpReply(200, "OK", request.method == "GET" ? demoWsdl("http://" + request.header("Host") + path, action)
                                                            : envelope("(Symbol:EURUSD)"));
    };
}

} // namespace

TEST(HttpExchange, SendsThePostWithTheRequiredHeadersAndBody)
{
    LoopbackServer server(always(httpReply(200, "OK", envelope("(Symbol:EURUSD)"))));
    EXPECT_EQ(client(server.url("/svc/server.php?key=1"))->Signal(3, "a&b"), "(Symbol:EURUSD)");
    ASSERT_EQ(server.requests().size(), 1u);
    const HttpRequest request = server.requests()[0];
    std::string head = request.method + " " + request.target;
    for (const auto& [name, value] : request.headers)
        head += "\n" + name + ": " + value;
    EXPECT_EQ(head, "POST /svc/server.php?key=1\nHost: 127.0.0.1:" + std::to_string(server.port())
                  + "\nUser-Agent: Quorvane SOAP 1.1\nSOAPAction: \"urn:HelloWorld#Adder\"\nContent-Type: text/xml"
                    "\nAccept: text/xml\nContent-Length: " + std::to_string(request.body.size()));
    EXPECT_EQ(request.body, buildSignalRequest("urn:HelloWorld", 3, "a&b"));
}

TEST(HttpExchange, StatusAndBodyDecideTheOutcome)
{
    struct Row {
        const char* name;
        HttpReply reply;
        std::string expected; // %u: the URL
    };
    const std::string ise = "Internal Server Error";
    const Row rows[] = {
        {"not_found_uses_status_text", httpReply(404, "Not Found", "<html/>"), "Exception: Not Found (404) - '%u'"},
        {"redirect_is_not_followed", httpReply(302, "Found", envelope("x")), "Exception: Found (302) - '%u'"},
        {"status_without_reason", HttpReply{"HTTP/1.1 503\r\nContent-Length: 0\r\n\r\n"}, "Exception:  (503) - '%u'"},
        {"final_status_after_interim", HttpReply{"HTTP/1.1 100 Continue\r\n\r\n" + httpReply(404, "Not Found", "").raw},
         "Exception: Not Found (404) - '%u'"},
        {"fault_under_500", httpReply(500, ise, fixture("fault.xml")), "ERemotableException: No signal today"},
        {"html_under_500_is_a_parse_error", httpReply(500, ise, fixture("html_page.html")),
         "EDOMParseError: Opening and ending tag mismatch: hr line 5 and body\r\nLine: 6\r\n</body>"},
        {"header_only_envelope_is_empty_reply", httpReply(200, "OK", fixture("header_only.xml")), "= "},
        {"no_content_is_a_parse_error", httpReply(204, "No Content", ""), "EDOMParseError: Document is empty\r\nLine: 1\r\n"},
        {"any_content_type_is_read", httpReply(200, "OK", envelope("typed"), "text/plain"), "= typed"},
        {"body_till_close", HttpReply{"HTTP/1.0 200 OK\r\n\r\n" + envelope("end"), true}, "= end"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server(always(row.reply));
        std::string expected = row.expected;
        if (const size_t at = expected.find("%u"); at != std::string::npos)
            expected.replace(at, 2, server.url());
        EXPECT_EQ(call(*client(server.url())), expected);
    }
}

TEST(Connection, KeptForOneClientUntilAStatusFailureOrANewUrl)
{
    LoopbackServer server([](const HttpRequest&, int index) {
        return index == 2 ? httpReply(200, "OK", "not xml")
            : index == 4  ? httpReply(404, "Not Found", "")
                          : httpReply(200, "OK", envelope("x"));
    });
    auto rio = client(server.url());
    const std::string steps[] = {"= x", "= x", "EDOMParseError", "= x", "Exception: Not Found", "= x"};
    const int connections[] = {1, 1, 1, 1, 1, 2}; // decoding failure keeps it, status failure drops it
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(call(*rio).substr(0, steps[i].size()), steps[i]);
        EXPECT_EQ(server.acceptedConnections(), connections[i]);
    }
    rio->SetURL(server.url());
    EXPECT_EQ(call(*rio), "= x");
    EXPECT_EQ(server.acceptedConnections(), 3);

    rio.reset();
    for (int i = 0; i < 2; ++i) // a client per call keeps nothing
        EXPECT_EQ(call(*GetSignalService(false, server.url())), "= x");
    EXPECT_EQ(server.acceptedConnections(), 5);
}

TEST(Transport, FailuresCarryCurlsTextTheUrlAndTheAction)
{
    { // a silent server: the time-out is a parameter, so this takes 200 ms; the client recovers
        LoopbackServer server([](const HttpRequest&, int index) {
            HttpReply reply = httpReply(200, "OK", envelope("late"));
            reply.silent = index == 0;
            return reply;
        });
        auto rio = client(server.url(), 200ms);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THAT(call(*rio), transportError("timed out", server.url()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        EXPECT_EQ(rio->Signal(0, ""), "late");
        EXPECT_EQ(server.acceptedConnections(), 2);
    }
    int port = 0;
    {
        LoopbackServer closed(always(HttpReply{}));
        port = closed.port();
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/webservice/server.php";
    EXPECT_THAT(call(*client(url)), transportError("Couldn't connect to server", url));

    // Over 16 MiB: with a Content-Length refused at once, without one reading stops at the limit.
    const std::string big = envelope(std::string(16u << 20, 'x'));
    for (const HttpReply& reply : {httpReply(200, "OK", big), HttpReply{"HTTP/1.0 200 OK\r\n\r\n" + big, true}}) {
        LoopbackServer server(always(reply));
        EXPECT_THAT(call(*client(server.url())), AllOf(StartsWith("Exception: Response body exceeds 16777216 bytes - URL:"),
                                                        transportError("", server.url())));
    }
}

TEST(Factory, AddressRules)
{
    const std::pair<std::string, std::string> valid[] = {
        {"", "localhost:80/webservice/server.php"},
        {"https://signals.example/ws/server.php", "signals.example:443/ws/server.php"},
        {"http://10.0.0.5:8080/x.php", "10.0.0.5:8080/x.php"},
        {"HTTP://Host/y", "Host:80/y"},
    };
    for (const auto& [address, parts] : valid) {
        const auto service = GetSignalService(false, address);
        const EndpointUrl& endpoint = dynamic_cast<THTTPRIO&>(*service).Endpoint();
        EXPECT_EQ(endpoint.host + ":" + std::to_string(endpoint.port) + endpoint.path, parts);
        EXPECT_EQ(endpoint.url, address.empty() ? "http://localhost/webservice/server.php" : address);
    }
    for (const char* address : {"ftp://host/file", "localhost", "file:///etc/passwd", "http://"}) {
        EXPECT_EQ(outcome([&] { return GetSignalService(false, address) ? "made" : "null"; }),
                  "Exception: Invalid url '" + std::string(address) + "' - only supports 'http' and 'https' schemes");
    }
}

TEST(Registration, IsReadAgainOnEveryCall)
{
    LoopbackServer server(always(httpReply(200, "OK", fixture("return_none_matching.xml"))));
    InvokableRegistry registry;
    registerHelloWorld(registry);
    InvokableInterface info = *registry.Find("HelloWorldPortType");
    info.returnNames = "x,y/B:z"; // split at every separator, matched without case
    registry.RegisterInterface(info);
    auto rio = client(server.url(), 2s, registry);
    EXPECT_EQ(rio->Signal(0, ""), "2");
    info.soapAction = "urn:Other#Act";
    info.nameSpace = "urn:Other";
    info.returnNames = ";;A";
    registry.RegisterInterface(info);
    EXPECT_EQ(rio->Signal(0, ""), "1");

    EXPECT_EQ(seen(server), (std::vector<std::string>{"POST /webservice/server.php \"urn:HelloWorld#Adder\"",
                                                      "POST /webservice/server.php \"urn:Other#Act\""}));
    EXPECT_EQ(server.requests().back().body, buildSignalRequest("urn:Other", 0, ""));

    InvokableRegistry empty; // an unregistered interface fails without sending
    EXPECT_THROW(client(server.url(), 2s, empty)->Signal(0, ""), Exception);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(ReadServicePort, FindsThePortOrSaysWhatIsMissing)
{
    const std::string good = demoWsdl("http://h/x");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        EXPECT_NE(good.find(from), std::string::npos) << from;
        return std::string(good).replace(good.find(from), from.size(), to);
    };
    const std::string notFound = "Exception: Port 'HelloWorldPort' of service 'HelloWorld' not found in the service description";
    const struct {
        const char* name;
        std::string wsdl, expected;
    } rows[] = {
        {"demo_description", good, "= http://h/x|urn:HelloWorld#Adder|urn:HelloWorld"},
        {"missing_operation_leaves_action_empty",
         replaced("<operation name=\"Signal\">\n      <soap:operation", "<operation name=\"Other\">\n      <soap:operation"),
         "= http://h/x||"},
        {"other_service", replaced("<service name=\"HelloWorld\">", "<service name=\"Other\">"), notFound},
        {"other_port", replaced("<port name=\"HelloWorldPort\"", "<port name=\"P\""), notFound},
        {"no_address", replaced("<soap:address location=\"http://h/x\"/>", ""),
         "Exception: Port 'HelloWorldPort' of service 'HelloWorld' has no SOAP address"},
        {"not_wsdl", "<definitions xmlns=\"urn:not-wsdl\"/>", "Exception: The service description is not a WSDL 1.1 document"},
        {"not_xml", "<html>", "EDOMParseError: Premature end of data in tag html line 1\r\nLine: 1\r\n<html>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string result = outcome([&] {
            const ServicePort port = readServicePort(row.wsdl, "HelloWorld", "HelloWorldPort", "Signal");
            return port.location + "|" + port.soapAction + "|" + port.nameSpace;
        });
        EXPECT_EQ(result, row.expected);
    }
}

TEST(DescriptionForm, FetchedOnceAtTheFirstCallThenPostedToUntilSetURL)
{
    LoopbackServer server(describing("/soap/endpoint.php", "urn:from-wsdl"));
    auto service = GetSignalService(true, server.url("/webservice/server.php?wsdl"));
    EXPECT_EQ(service->Signal(0, ""), "(Symbol:EURUSD)");
    EXPECT_EQ(service->Signal(0, ""), "(Symbol:EURUSD)");
    dynamic_cast<THTTPRIO&>(*service).SetURL(server.url()); // back to the registered values
    EXPECT_EQ(service->Signal(0, ""), "(Symbol:EURUSD)");

    EXPECT_EQ(seen(server), (std::vector<std::string>{"GET /webservice/server.php?wsdl ",
                                                      "POST /soap/endpoint.php \"urn:from-wsdl\"",
                                                      "POST /soap/endpoint.php \"urn:from-wsdl\"",
                                                      "POST /webservice/server.php \"urn:HelloWorld#Adder\""}));
    EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST(DescriptionForm, FailuresArriveAtTheCall)
{
    // Made for the default location with no traffic yet: a client, never an empty reference.
    EXPECT_TRUE(dynamic_cast<THTTPRIO&>(*GetSignalService(true)).URL().empty());

    LoopbackServer missing(always(httpReply(404, "Not Found", "")));
    const std::string url = missing.url("/webservice/server.php?wsdl");
    EXPECT_EQ(call(*GetSignalService(true, url)), "Exception: Not Found (404) - '" + url + "'");

    // A SOAPAction holding a line break would inject a header: refused before any POST.
    LoopbackServer server(describing("/x.php", "a&#13;&#10;X-Injected: 1"));
    EXPECT_EQ(call(*GetSignalService(true, server.url("/x?wsdl"))),
              "Exception: Invalid SOAPAction header value - URL:" + server.url("/x.php"));
    EXPECT_EQ(seen(server), std::vector<std::string>{"GET /x?wsdl "}); // the description only
}
