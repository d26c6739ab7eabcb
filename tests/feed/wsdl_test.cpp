// The description form: reading a WSDL, and a client bound through one.

#include "exceptions.h"
#include "helloworld.h"
#include "httprio.h"
#include "loopbackserver.h"
#include "wsdl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// The description the demo service serves, bound to `endpoint`.
std::string demoWsdl(const std::string& endpoint)
{
    std::ifstream in(std::string(QUORVANE_SOURCE_DIR) + "/sim/docroot/webservice/helloworld.wsdl");
    std::ostringstream text;
    text << in.rdbuf();
    std::string wsdl = text.str();
    wsdl.replace(wsdl.find("@ENDPOINT@"), 10, endpoint);
    return wsdl;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

const std::string kEnvelope =
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>"
    "<r><return>(Symbol:EURUSD)</return></r></SOAP-ENV:Body></SOAP-ENV:Envelope>";

} // namespace

TEST(ReadServicePort, TakesAddressActionAndNamespaceFromTheDemoDescription)
{
    const ServicePort port = ReadServicePort(demoWsdl("http://10.1.2.3:81/ws/server.php"), "HelloWorld",
                                             "HelloWorldPort", "Signal");
    EXPECT_EQ(port.location, "http://10.1.2.3:81/ws/server.php");
    EXPECT_EQ(port.soapAction, "urn:HelloWorld#Adder");
    EXPECT_EQ(port.nameSpace, "urn:HelloWorld");
}

TEST(ReadServicePort, RefusesDescriptionsWithoutTheRequestedPort)
{
    const std::string good = demoWsdl("http://h/x");
    struct Row {
        const char* name;
        std::string wsdl;
        std::string message;
    };
    const Row rows[] = {
        {"other_service", replaced(good, "<service name=\"HelloWorld\">", "<service name=\"Other\">"),
         "Port 'HelloWorldPort' of service 'HelloWorld' not found in the service description"},
        {"other_port", replaced(good, "<port name=\"HelloWorldPort\"", "<port name=\"P\""),
         "Port 'HelloWorldPort' of service 'HelloWorld' not found in the service description"},
        {"no_address", replaced(good, "<soap:address location=\"http://h/x\"/>", ""),
         "Port 'HelloWorldPort' of service 'HelloWorld' has no SOAP address"},
        {"not_wsdl", "<definitions xmlns=\"urn:not-wsdl\"/>", "The service description is not a WSDL 1.1 document"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ReadServicePort(row.wsdl, "HelloWorld", "HelloWorldPort", "Signal");
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.what(), row.message);
        }
    }
    EXPECT_THROW(ReadServicePort("<html>", "HelloWorld", "HelloWorldPort", "Signal"), EDOMParseError);
}

TEST(ReadServicePort, MissingOperationLeavesActionEmpty)
{
    const std::string wsdl = replaced(demoWsdl("http://h/x"), "<operation name=\"Signal\">\n      <soap:operation",
                                      "<operation name=\"Other\">\n      <soap:operation");
    const ServicePort port = ReadServicePort(wsdl, "HelloWorld", "HelloWorldPort", "Signal");
    EXPECT_EQ(port.location, "http://h/x");
    EXPECT_EQ(port.soapAction, "");
}

TEST(DescriptionForm, FetchesTheDescriptionOnceThenPostsToItsAddress)
{
    std::string endpoint;
    LoopbackServer server([&](const HttpRequest& request, int) {
        if (request.method == "GET")
            return httpReply(200, "OK", replaced(demoWsdl(endpoint), "urn:HelloWorld#Adder", "urn:from-wsdl"));
        return httpReply(200, "OK", kEnvelope);
    });
    endpoint = server.url("/soap/endpoint.php");

    auto service = GetSignalService(true, server.url("/webservice/server.php?wsdl"));
    EXPECT_EQ(service->Signal(0, ""), "(Symbol:EURUSD)");
    EXPECT_EQ(service->Signal(0, ""), "(Symbol:EURUSD)");

    const std::vector<HttpRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/webservice/server.php?wsdl");
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(requests[i].method, "POST");
        EXPECT_EQ(requests[i].target, "/soap/endpoint.php");
        EXPECT_EQ(requests[i].header("SOAPAction"), "\"urn:from-wsdl\"");
    }
    EXPECT_EQ(server.acceptedConnections(), 1);
}

TEST(DescriptionForm, UnreachableDescriptionIsATransportError)
{
    LoopbackServer server([](const HttpRequest&, int) { return httpReply(404, "Not Found", ""); });
    auto service = GetSignalService(true, server.url("/webservice/server.php?wsdl"));
    try {
        service->Signal(0, "");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Not Found (404) - '" + server.url("/webservice/server.php?wsdl") + "'");
    }
}

TEST(DescriptionForm, DefaultLocationAndNoTrafficBeforeTheFirstCall)
{
    // Made for the default description location; nothing is fetched yet, so
    // this cannot fail even without a server.
    auto service = GetSignalService(true);
    auto* rio = dynamic_cast<THTTPRIO*>(service.get());
    ASSERT_NE(rio, nullptr);
    EXPECT_TRUE(rio->URL().empty());
    EXPECT_THROW(GetSignalService(true, "ftp://host/x?wsdl"), Exception);
}

TEST(DescriptionForm, SettingTheUrlReturnsToTheRegisteredAction)
{
    LoopbackServer server([&](const HttpRequest& request, int) {
        if (request.method == "GET")
            return httpReply(200, "OK", replaced(demoWsdl("http://127.0.0.1:1/x"), "urn:HelloWorld#Adder", "urn:w"));
        return httpReply(200, "OK", kEnvelope);
    });
    THTTPRIO rio;
    rio.SetWSDLLocation(server.url("/d?wsdl"), "HelloWorld", "HelloWorldPort");
    rio.SetURL(server.url());
    EXPECT_EQ(rio.Signal(0, ""), "(Symbol:EURUSD)");
    const std::vector<HttpRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("SOAPAction"), "\"urn:HelloWorld#Adder\"");
}

TEST(DescriptionForm, ActionWithALineBreakNeverReachesTheWire)
{
    std::string endpoint;
    LoopbackServer server([&](const HttpRequest& request, int) {
        if (request.method == "GET")
            return httpReply(200, "OK", replaced(demoWsdl(endpoint), "urn:HelloWorld#Adder", "a&#13;&#10;X-Injected: 1"));
        return httpReply(200, "OK", kEnvelope);
    });
    endpoint = server.url();
    auto service = GetSignalService(true, server.url("/webservice/server.php?wsdl"));
    try {
        service->Signal(0, "");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid SOAPAction header value - URL:" + endpoint);
    }
    for (const HttpRequest& request : server.requests())
        EXPECT_EQ(request.headerIndex("X-Injected"), -1);
    EXPECT_EQ(server.requests().size(), 1u); // the description only
}
