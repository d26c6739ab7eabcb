// The window against a real HTTP endpoint on loopback: the service client of
// feed/ speaking SOAP to canned replies.

#include "windowfixture.h"

#include "errorlog.h"
#include "loopbackserver.h"
#include "ttrayicon.h"

#include <algorithm>

namespace quorvane::test {
namespace {

std::string fixture(const std::string& name)
{
    return readFile(std::string(QUORVANE_TEST_DATA) + "/soap/" + name);
}

class LoopbackTest : public WindowTest {
protected:
    void pollThrough(const std::string& url)
    {
        serviceFactory = [url] { return GetSignalService(false, url); };
    }
};

TEST_F(LoopbackTest, FirstRunInAnEmptyFolderShowsTheServicesRecords)
{
    const std::string body = fixture("php_soapserver_reply.xml");
    LoopbackServer server([&](const HttpRequest&, int) { return httpReply(200, "OK", body); });
    pollThrough(server.url());
    open();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(combo("ComboBox3")->count(), 8);
    EXPECT_EQ(text("Label2"), "EURUSD");
    EXPECT_EQ(text("Label10"), "0.0438");
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--EURUSD");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].method, "POST");
    close();
    EXPECT_EQ(readFile(ini()), "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=\r\n");
    EXPECT_EQ(readFile(dir / "log.txt"), "");
    EXPECT_FALSE(exists(dir / "error_log.txt"));
}

TEST_F(LoopbackTest, SoapFaultIsADisconnectWithTheFaultInTheLog)
{
    const std::string body = fixture("fault.xml");
    LoopbackServer server([&](const HttpRequest&, int) { return httpReply(500, "Internal Server Error", body); });
    pollThrough(server.url());
    open();
    EXPECT_EQ(status(), "Disconnect!");
    const std::string log = errorLog();
    const std::string tail = ", , " + LogTimestamp(now) + "\n";
    ASSERT_GT(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail) << log;
    EXPECT_NE(log.find("No signal today"), std::string::npos) << log;
}

TEST_F(LoopbackTest, ServiceThatWentAwayIsADisconnect)
{
    std::string url;
    {
        LoopbackServer server([](const HttpRequest&, int) { return httpReply(200, "OK", ""); });
        url = server.url();
    }
    pollThrough(url);
    open();
    EXPECT_EQ(status(), "Disconnect!");
    const std::string log = errorLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

} // namespace
} // namespace quorvane::test
