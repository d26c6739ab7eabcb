// SPDX-License-Identifier: MIT
// https against a loopback TLS server with certificates made for this run:
// the chain must lead to a trusted CA, while the host name and the validity
// dates are let pass. Real handshakes through CurlWebNode.

#include "feed/curlwebnode.h"
#include "tests/support/feedtest.h"
#include "feed/helloworld.h"
#include "feed/httprio.h"
#include "tests/support/loopbackserver.h"
#include "tests/support/testcertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

using namespace quorvane;
using namespace quorvane::test;
using namespace std::chrono_literals;
using namespace ::testing;

namespace {

// The test's own trust store: one CA, written to a scratch folder; and a CA
// nobody trusts.
struct Authorities {
    ScratchFolder folder;
    TestCertificate trusted = makeCertificate({"Quorvane Test CA", {}, -1, 3650, true});
    TestCertificate rogue = makeCertificate({"Rogue CA", {}, -1, 3650, true});
    std::string trustFile = folder / "trusted-ca.pem";

    Authorities() { writeFile(trustFile, trusted.certificatePem); }
};

const Authorities& authorities()
{
    static const Authorities made;
    return made;
}

// Valid now, for the address the server listens on.
const CertificateRequest kRightName{"Quorvane test service", {"IP:127.0.0.1"}};

CertificateRequest with(CertificateRequest request, std::vector<std::string> names, int fromDays, int toDays)
{
    request.subjectAltNames = std::move(names);
    request.notBeforeDays = fromDays;
    request.notAfterDays = toDays;
    return request;
}

LoopbackServer::Responder answering()
{
    return [](const HttpRequest&, int) { return httpReply(200, "OK", envelope("(Symbol:EURUSD)")); };
}

std::string callThrough(std::unique_ptr<WebNode> node, const LoopbackServer& server)
{
    THTTPRIO rio(invRegistry(), std::move(node));
    rio.SetURL(server.url());
    rio.SetTimeouts(5s, 5s);
    return outcome([&] { return rio.Signal(0, ""); });
}

std::unique_ptr<WebNode> trustingTestCa()
{
    auto node = std::make_unique<CurlWebNode>();
    node->SetCaFile(authorities().trustFile);
    return node;
}

} // namespace

TEST(Https, ChecksTheChainButNotTheHostNameOrTheDates)
{
    const Authorities& ca = authorities();
    const TestCertificate rogueLeaf = makeCertificate(kRightName, &ca.rogue);
    // Another CA under the trusted one's name: only its key tells them apart.
    const TestCertificate impostor = makeCertificate({"Quorvane Test CA", {}, -1, 3650, true});
    const struct {
        const char* name;
        TestCertificate served;
        std::string strictVerdict; ///< what a client with every check on says
        bool accepted;
    } rows[] = {
        {"trusted CA, right name", makeCertificate(kRightName, &ca.trusted), "ok", true},
        {"trusted CA, wrong name", makeCertificate(with(kRightName, {"DNS:signals.example.net"}, -1, 30), &ca.trusted),
         "IP address mismatch", true},
        {"trusted CA, no name at all", makeCertificate(with(kRightName, {}, -1, 30), &ca.trusted),
         "IP address mismatch", true},
        {"trusted CA, expired", makeCertificate(with(kRightName, {"IP:127.0.0.1"}, -60, -1), &ca.trusted),
         "certificate has expired", true},
        {"trusted CA, not yet valid", makeCertificate(with(kRightName, {"IP:127.0.0.1"}, 1, 60), &ca.trusted),
         "certificate is not yet valid", true},
        {"trusted CA, wrong name and expired",
         makeCertificate(with(kRightName, {"DNS:signals.example.net"}, -60, -1), &ca.trusted),
         "IP address mismatch", true},
        {"self-signed", makeCertificate(kRightName), "self-signed certificate", false},
        {"untrusted CA", rogueLeaf, "unable to get local issuer certificate", false},
        {"untrusted CA sent along", {rogueLeaf.certificatePem + ca.rogue.certificatePem, rogueLeaf.keyPem},
         "self-signed certificate in certificate chain", false},
        {"issued in the trusted CA's name by another key", makeCertificate(kRightName, &impostor),
         "unable to get local issuer certificate", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(strictVerdict(row.served.certificatePem, ca.trusted.certificatePem, "127.0.0.1"), row.strictVerdict);

        LoopbackServer server(answering(), row.served);
        const std::string result = callThrough(trustingTestCa(), server);
        if (row.accepted) {
            EXPECT_EQ(result, "= (Symbol:EURUSD)");
        } else {
            // curl's message in the transport error's form; no request crossed.
            EXPECT_EQ(result, "Exception: SSL certificate problem: " + row.strictVerdict + " - URL:" + server.url()
                          + " - SOAPAction:urn:HelloWorld#Adder");
            EXPECT_EQ(server.requests().size(), 0u);
        }
    }
}

TEST(Https, TheProgramTrustsOnlyTheSystemStore)
{
    // The client the poll makes has no CA file of its own: a CA made a moment
    // ago cannot be in the system's store, so its certificate is refused.
    LoopbackServer server(answering(), makeCertificate(kRightName, &authorities().trusted));
    const std::shared_ptr<HelloWorldPortType> service = GetSignalService(false, server.url());
    const std::string result = outcome([&] { return service->Signal(0, ""); });
    EXPECT_THAT(result, AllOf(StartsWith("Exception: "), Not(HasSubstr("\n")),
                              EndsWith(" - URL:" + server.url() + " - SOAPAction:urn:HelloWorld#Adder")));
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST(Https, KeepsTheConnectionAcrossCalls)
{
    // The relaxed date check is set on every handshake; a second call on the
    // same client reuses the verified connection instead.
    LoopbackServer server(answering(), makeCertificate(with(kRightName, {}, -60, -1), &authorities().trusted));
    THTTPRIO rio(invRegistry(), trustingTestCa());
    rio.SetURL(server.url());
    rio.SetTimeouts(5s, 5s);
    EXPECT_EQ(outcome([&] { return rio.Signal(0, ""); }), "= (Symbol:EURUSD)");
    EXPECT_EQ(outcome([&] { return rio.Signal(0, ""); }), "= (Symbol:EURUSD)");
    EXPECT_EQ(server.acceptedConnections(), 1);
}
