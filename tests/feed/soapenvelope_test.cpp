// The envelope bytes of a call and the decoding of canned response bodies.

#include "exceptions.h"
#include "soapenvelope.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

using namespace quorvane;

namespace {

std::string fixture(const std::string& name)
{
    std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/soap/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "missing fixture " << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\">"
    "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
    "<NS1:Signal xmlns:NS1=\"urn:HelloWorld\">";
const std::string kTail = "</NS1:Signal></SOAP-ENV:Body></SOAP-ENV:Envelope>";

std::string request(const std::string& format, const std::string& fuck)
{
    return kHead + "<format xsi:type=\"xsd:int\">" + format + "</format><fuck xsi:type=\"xsd:string\">" + fuck
        + "</fuck>" + kTail;
}

} // namespace

// ---------------------------------------------------------------- request

TEST(SignalRequest, PollCallIsByteExact)
{
    EXPECT_EQ(BuildSignalRequest("urn:HelloWorld", 0, ""), request("0", ""));
}

TEST(SignalRequest, ArgumentsAreWrittenAndEscaped)
{
    struct Row {
        const char* name;
        int format;
        std::string fuck;
        std::string format_text;
        std::string fuck_text;
    };
    const Row rows[] = {
        {"negative_format", -42, "", "-42", ""},
        {"smallest_int", -2147483647 - 1, "", "-2147483648", ""},
        {"ampersand_and_less_than", 7, "a&b<c>d", "7", "a&amp;b&lt;c&gt;d"},
        {"quotes_stay_plain_in_text", 1, "say \"hi\" 'x'", "1", "say \"hi\" 'x'"},
        {"utf8_passes_through", 1, "caf\xC3\xA9 \xE2\x82\xAC", "1", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"carriage_return_survives_normalisation", 1, "a\r\nb", "1", "a&#13;\nb"},
        {"invalid_utf8_is_replaced", 1, "x\xFFy", "1", "x\xEF\xBF\xBDy"},
        {"truncated_sequence_is_replaced", 1, "x\xC3", "1", "x\xEF\xBF\xBD"},
        {"control_character_is_replaced", 1, std::string("a\x01z"), "1", "a\xEF\xBF\xBDz"},
        {"nul_is_replaced", 1, std::string("a\0z", 3), "1", "a\xEF\xBF\xBDz"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BuildSignalRequest("urn:HelloWorld", row.format, row.fuck), request(row.format_text, row.fuck_text));
    }
}

TEST(SignalRequest, EveryRequestIsWellFormedAndDecodableByOurOwnParser)
{
    // A request is itself an envelope whose single body child holds two
    // children, neither named Result/Return: our decoder must refuse it with
    // the result-element message, which proves it parsed.
    const std::string bytes = BuildSignalRequest("urn:HelloWorld", 5, "<&>\xFF");
    try {
        DecodeSignalResponse(bytes);
        FAIL() << "decoded a request as a response";
    } catch (const ESOAPDomConvertError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("SOAP Response Packet: result element expected", 0), 0u) << e.what();
    }
}

// ---------------------------------------------------------------- decoder

namespace {

enum class Kind { Text, Parse, Convert, List, Fault, TextNode, Plain };

struct DecodeRow {
    const char* name;
    const char* file;
    Kind kind;
    std::string expected; // reply text or message
};

const char* kindName(Kind kind)
{
    switch (kind) {
    case Kind::Text: return "text";
    case Kind::Parse: return "EDOMParseError";
    case Kind::Convert: return "ESOAPDomConvertError";
    case Kind::List: return "EListError";
    case Kind::Fault: return "ERemotableException";
    case Kind::TextNode: return "EXMLDocError";
    case Kind::Plain: return "Exception";
    }
    return "?";
}

Kind kindOf(const Exception& e)
{
    if (dynamic_cast<const EDOMParseError*>(&e)) return Kind::Parse;
    if (dynamic_cast<const ESOAPDomConvertError*>(&e)) return Kind::Convert;
    if (dynamic_cast<const EListError*>(&e)) return Kind::List;
    if (dynamic_cast<const ERemotableException*>(&e)) return Kind::Fault;
    if (dynamic_cast<const EXMLDocError*>(&e)) return Kind::TextNode;
    return Kind::Plain;
}

const std::string kRecords =
    "(Symbol:EURUSD,Price:1.08423,Time:2026-12-08 10:15:00,Signal:0.4213)"
    "(Symbol:GBPUSD,Price:1.26710,Time:2026-12-08 10:15:00,Signal:-0.1250)";

class Decode : public ::testing::TestWithParam<DecodeRow> {};

} // namespace

TEST_P(Decode, GivesTextOrExactMessage)
{
    const DecodeRow& row = GetParam();
    try {
        const std::string text = DecodeSignalResponse(fixture(row.file));
        EXPECT_EQ(row.kind, Kind::Text) << "expected " << kindName(row.kind) << ", got text: " << text;
        EXPECT_EQ(text, row.expected);
    } catch (const Exception& e) {
        EXPECT_EQ(kindName(kindOf(e)), std::string(kindName(row.kind))) << e.what();
        EXPECT_EQ(e.what(), row.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CannedResponses, Decode,
    ::testing::Values(
        DecodeRow{"records_from_php_style_reply", "return_php.xml", Kind::Text, kRecords},
        DecodeRow{"indented_envelope_skips_white_space", "return_indented.xml", Kind::Text,
                  "(Symbol:EURUSD,Price:1.1,Time:t,Signal:0.1)"},
        DecodeRow{"single_child_of_any_name", "return_any_name.xml", Kind::Text, "abc"},
        DecodeRow{"second_child_named_RETURN", "return_second_upper.xml", Kind::Text, "yes"},
        DecodeRow{"first_name_match_wins", "return_result_first_match.xml", Kind::Text, "one"},
        DecodeRow{"two_children_no_match", "return_none_matching.xml", Kind::Convert,
                  "SOAP Response Packet: result element expected, received "
                  "\"<ns1:SignalResponse><a>1</a><b>2</b></ns1:SignalResponse>\""},
        DecodeRow{"nested_markup_as_text", "return_nested_markup.xml", Kind::Text, "lead<b>bold</b><i/>tail"},
        DecodeRow{"empty_return", "return_empty.xml", Kind::Text, ""},
        DecodeRow{"cdata_keeps_its_markup", "return_cdata.xml", Kind::Text, "<![CDATA[(Symbol:<x>)]]>"},
        DecodeRow{"entity_references_resolved", "return_amp.xml", Kind::Text, "A&B <c> A"},
        DecodeRow{"declared_latin1_becomes_utf8", "return_latin1.xml", Kind::Text, "caf\xC3\xA9"},
        DecodeRow{"href_into_response", "return_href_response.xml", Kind::Text, "from response"},
        DecodeRow{"href_into_body", "return_href_body.xml", Kind::Text, "from body"},
        DecodeRow{"href_into_envelope", "return_href_envelope.xml", Kind::Text, "from envelope"},
        DecodeRow{"href_to_nothing_fails_cleanly", "return_href_dangling.xml", Kind::Convert,
                  "SOAP Response Packet: result element expected, received "
                  "\"<ns1:SignalResponse><return href=\"#nowhere\"/></ns1:SignalResponse>\""},
        DecodeRow{"header_only_is_empty_reply", "header_only.xml", Kind::Text, ""},
        DecodeRow{"must_understand_header", "header_must_understand.xml", Kind::Plain,
                  "Soap header Session with attribute 'mustUnderstand' set to true was not handled"},
        DecodeRow{"ignorable_header", "header_may_ignore.xml", Kind::Text, "ok"},
        DecodeRow{"second_header", "header_twice.xml", Kind::Convert, "Invalid SOAP request"},
        DecodeRow{"second_body", "body_twice.xml", Kind::Convert, "Invalid SOAP request"},
        DecodeRow{"envelope_without_children", "envelope_empty.xml", Kind::Convert, "Invalid SOAP request"},
        DecodeRow{"body_without_children", "body_empty.xml", Kind::List, "List index out of bounds (0)"},
        DecodeRow{"comment_shifts_response_position", "comment_before_body.xml", Kind::Text, "second child"},
        DecodeRow{"soap12_envelope", "envelope_wrong_ns.xml", Kind::Convert,
                  "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
                  "http://www.w3.org/2003/05/soap-envelope:Envelope found"},
        DecodeRow{"xhtml_page", "xhtml_page.xml", Kind::Convert,
                  "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, "
                  "http://www.w3.org/1999/xhtml:html found"},
        DecodeRow{"fault", "fault.xml", Kind::Fault, "No signal today"},
        DecodeRow{"fault_last_faultstring_counts", "fault_twice.xml", Kind::Fault, "last"},
        DecodeRow{"fault_without_faultstring", "fault_without_string.xml", Kind::Fault, ""},
        DecodeRow{"fault_with_empty_faultstring", "fault_empty_string.xml", Kind::Fault, ""},
        DecodeRow{"fault_cdata_faultstring", "fault_cdata.xml", Kind::TextNode,
                  "Element does not contain a single text node"},
        DecodeRow{"fault_nested_faultcode", "fault_nested_code.xml", Kind::TextNode,
                  "Element does not contain a single text node"}),
    [](const ::testing::TestParamInfo<DecodeRow>& info) { return std::string(info.param.name); });

TEST(DecodeFault, CarriesCodeActorAndDetail)
{
    try {
        DecodeSignalResponse(fixture("fault.xml"));
        FAIL() << "no fault raised";
    } catch (const ERemotableException& e) {
        EXPECT_EQ(e.FaultCode(), "SOAP-ENV:Server");
        EXPECT_EQ(e.FaultActor(), "urn:feed");
        EXPECT_EQ(e.FaultDetail(), "<detail><reason code=\"7\">closed</reason></detail>");
    }
}

TEST(DecodeParseError, ThreeLinesWithReasonLineAndSource)
{
    struct Row {
        const char* name;
        std::string body;
        int line;
        std::string source;
    };
    const Row rows[] = {
        {"empty_body", "", 1, ""},
        {"html_page_unclosed_hr", fixture("html_page.html"), 6, "</body>"},
        {"plain_text", "Service Unavailable", 1, "Service Unavailable"},
        {"truncated_envelope", "<?xml version=\"1.0\"?>\r\n<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"x\">\r\n<a>", 3, "<a>"},
        {"source_cut_to_40_characters", "<r>\n<" + std::string(60, 'x') + " =>", 2, "<" + std::string(39, 'x')},
        {"source_cut_counts_characters_not_bytes",
         "<r>\n<\xC3\xA9" + std::string(50, 'y') + " =", 2, "<\xC3\xA9" + std::string(38, 'y')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            DecodeSignalResponse(row.body);
            ADD_FAILURE() << "parsed";
        } catch (const EDOMParseError& e) {
            const std::string message = e.what();
            const std::string tail = "\r\nLine: " + std::to_string(row.line) + "\r\n" + row.source;
            ASSERT_GT(message.size(), tail.size()) << message;
            EXPECT_EQ(message.substr(message.size() - tail.size()), tail) << message;
            const std::string reason = message.substr(0, message.size() - tail.size());
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(reason.find('\n'), std::string::npos) << "reason spans lines: " << reason;
        }
    }
}

TEST(DecodeHostileInput, ExternalEntitiesAreNeverRead)
{
    // Whatever the outcome, the contents of the file must not appear.
    for (const char* file : {"xxe_file.xml", "xxe_parameter.xml", "external_dtd.xml"}) {
        SCOPED_TRACE(file);
        std::string outcome;
        try {
            outcome = DecodeSignalResponse(fixture(file));
        } catch (const Exception& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome.find("root:"), std::string::npos) << outcome;
    }
}

TEST(DecodeHostileInput, ExternalReferencesStayUnresolved)
{
    // The entity stays a reference in the serialised value; the DTD
    // location points at a closed port, so fetching it would fail the call.
    EXPECT_EQ(DecodeSignalResponse(fixture("xxe_file.xml")), "[&xxe;]");
    EXPECT_EQ(DecodeSignalResponse(fixture("xxe_parameter.xml")), "x");
    EXPECT_EQ(DecodeSignalResponse(fixture("external_dtd.xml")), "plain");
}

TEST(DecodeHostileInput, EntityBombIsRefusedQuickly)
{
    const auto start = std::chrono::steady_clock::now();
    // Expanded, the bomb is 3 GB of "lol"; libxml2's amplification limit must
    // stop it as a parse error.
    EXPECT_THROW(DecodeSignalResponse(fixture("entity_bomb.xml")), EDOMParseError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(DecodeResponse, ReturnNamesAreSplitAtAllSeparators)
{
    const std::string body = fixture("return_none_matching.xml");
    EXPECT_EQ(DecodeSignalResponse(body, "x,y/B:z"), "2");
    EXPECT_EQ(DecodeSignalResponse(body, ";;A"), "1");
}

TEST(DecodeResponse, RepeatedDecodesAreIndependent)
{
    // Nothing carries over from one response to the next, failures included.
    const std::string good = fixture("return_any_name.xml");
    EXPECT_THROW(DecodeSignalResponse("<broken"), EDOMParseError);
    EXPECT_EQ(DecodeSignalResponse(good), "abc");
    EXPECT_THROW(DecodeSignalResponse(fixture("fault.xml")), ERemotableException);
    EXPECT_EQ(DecodeSignalResponse(good), "abc");
}

TEST(DecodeResponse, ReplyCapturedFromPhpSoapServer)
{
    const std::string body = fixture("php_soapserver_reply.xml");
    const std::string open = "<return xsi:type=\"xsd:string\">";
    const size_t from = body.find(open) + open.size();
    const std::string expected = body.substr(from, body.find("</return>") - from);
    ASSERT_EQ(expected.rfind("(Symbol:EURUSD,", 0), 0u);
    EXPECT_EQ(DecodeSignalResponse(body), expected);
}
