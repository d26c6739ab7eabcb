// SPDX-License-Identifier: MIT
// The envelope bytes of a call and the decoding of canned response bodies.

#include "tests/support/feedtest.h"
#include "feed/soapenvelope.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

using namespace quorvane;
using namespace quorvane::test;
using namespace ::testing;

TEST(SignalRequest, IsByteExactWithArgumentsWrittenAndEscaped)
{
    const auto request = [](const std::string& format, const std::string& fuck) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
               "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
               "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
               "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\">"
               "<SOAP-ENV:Body SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
               "<NS1:Signal xmlns:NS1=\"urn:HelloWorld\"><format xsi:type=\"xsd:int\">"
            + format + "</format><fuck xsi:type=\"xsd:string\">" + fuck
            + "</fuck></NS1:Signal></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    };
    struct Row {
        const char* name;
        int format;
        std::string fuck, formatText, fuckText;
    };
    const Row rows[] = {
        {"poll_call", 0, "", "0", ""},
        {"negative_format", -42, "", "-42", ""},
        {"smallest_int", -2147483647 - 1, "", "-2147483648", ""},
        {"markup_escaped_quotes_plain", 7, "a&b<c>d\"'", "7", "a&amp;b&lt;c&gt;d\"'"},
        {"utf8_passes_through", 1, "caf\xC3\xA9 \xE2\x82\xAC", "1", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"carriage_return_survives_normalisation", 1, "a\r\nb", "1", "a&#13;\nb"},
        {"invalid_utf8_control_and_nul_replaced", 1, std::string("x\xFFy\x01z\0", 6), "1",
         "x\xEF\xBF\xBDy\xEF\xBF\xBDz\xEF\xBF\xBD"},
        {"truncated_sequence_replaced", 1, "x\xC3", "1", "x\xEF\xBF\xBD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(buildSignalRequest("urn:HelloWorld", row.format, row.fuck), request(row.formatText, row.fuckText));
    }
}

namespace {

struct DecodeRow {
    const char* name;
    const char* file;
    std::string expected; // outcome(): "= text" or "<kind>: <message>"
};

const std::string kNoResult = "ESOAPDomConvertError: SOAP Response Packet: result element expected, received ";
const std::string kNotEnvelope =
    "ESOAPDomConvertError: DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, ";
const std::string kInvalid = "ESOAPDomConvertError: Invalid SOAP request";
const std::string kNotOneTextNode = "EXMLDocError: Element does not contain a single text node";

const DecodeRow kCannedResponses[] = {
    {"records_from_php_style_reply", "return_php.xml",
     "= (Symbol:EURUSD,Price:1.08423,Time:2026-12-08 10:15:00,Signal:0.4213)"
     "(Symbol:GBPUSD,Price:1.26710,Time:2026-12-08 10:15:00,Signal:-0.1250)"},
    {"indented_envelope_skips_white_space", "return_indented.xml", "= (Symbol:EURUSD,Price:1.1,Time:t,Signal:0.1)"},
    {"single_child_of_any_name", "return_any_name.xml", "= abc"},
    {"second_child_named_RETURN", "return_second_upper.xml", "= yes"},
    {"first_name_match_wins", "return_result_first_match.xml", "= one"},
    {"two_children_no_match", "return_none_matching.xml",
     kNoResult + "\"<ns1:SignalResponse><a>1</a><b>2</b></ns1:SignalResponse>\""},
    {"nested_markup_as_text", "return_nested_markup.xml", "= lead<b>bold</b><i/>tail"},
    {"empty_return", "return_empty.xml", "= "},
    {"cdata_keeps_its_markup", "return_cdata.xml", "= <![CDATA[(Symbol:<x>)]]>"},
    {"entity_references_resolved", "return_amp.xml", "= A&B <c> A"},
    {"declared_latin1_becomes_utf8", "return_latin1.xml", "= caf\xC3\xA9"},
    {"href_into_response", "return_href_response.xml", "= from response"},
    {"href_into_body", "return_href_body.xml", "= from body"},
    {"href_into_envelope", "return_href_envelope.xml", "= from envelope"},
    {"href_to_nothing_fails_cleanly", "return_href_dangling.xml",
     kNoResult + "\"<ns1:SignalResponse><return href=\"#nowhere\"/></ns1:SignalResponse>\""},
    {"header_only_is_empty_reply", "header_only.xml", "= "},
    {"must_understand_header", "header_must_understand.xml",
     "Exception: Soap header Session with attribute 'mustUnderstand' set to true was not handled"},
    {"ignorable_header", "header_may_ignore.xml", "= ok"},
    {"second_header", "header_twice.xml", kInvalid},
    {"second_body", "body_twice.xml", kInvalid},
    {"envelope_without_children", "envelope_empty.xml", kInvalid},
    {"body_without_children", "body_empty.xml", "EListError: List index out of bounds (0)"},
    {"comment_shifts_response_position", "comment_before_body.xml", "= second child"},
    // White-space-only text is never a node: not a value, a response element or a child.
    {"blank_return_is_empty_reply", "return_blanks.xml", "= "},
    {"line_breaks_and_tabs_return_is_empty_reply", "return_line_breaks_and_tabs.xml", "= "},
    {"blank_return_with_space_preserve_is_empty_reply", "return_blanks_space_preserve.xml", "= "},
    {"blank_body_has_no_response_element", "body_blanks.xml", "EListError: List index out of bounds (0)"},
    {"blank_envelope_has_no_children", "envelope_blanks.xml", kInvalid},
    {"blanks_around_comments_do_not_count", "comment_between_blanks.xml", "= second child"},
    {"blanks_between_nested_elements_dropped", "return_markup_between_blanks.xml", "= <b>bold</b><i/>"},
    {"cdata_between_blanks_keeps_its_markup", "return_cdata_between_blanks.xml", "= <![CDATA[ x ]]>"},
    {"blank_cdata_is_kept", "return_cdata_blanks.xml", "= <![CDATA[   ]]>"},
    {"fault_blank_faultstring_is_empty", "fault_blank_string.xml", "ERemotableException: "},
    {"soap12_envelope", "envelope_wrong_ns.xml", kNotEnvelope + "http://www.w3.org/2003/05/soap-envelope:Envelope found"},
    {"xhtml_page", "xhtml_page.xml", kNotEnvelope + "http://www.w3.org/1999/xhtml:html found"},
    {"fault", "fault.xml", "ERemotableException: No signal today"},
    {"fault_last_faultstring_counts", "fault_twice.xml", "ERemotableException: last"},
    {"fault_without_faultstring", "fault_without_string.xml", "ERemotableException: "},
    {"fault_with_empty_faultstring", "fault_empty_string.xml", "ERemotableException: "},
    {"fault_cdata_faultstring", "fault_cdata.xml", kNotOneTextNode},
    {"fault_nested_faultcode", "fault_nested_code.xml", kNotOneTextNode},
    // Hostile input: nothing external is read; a declared entity stays a reference.
    {"external_entity_etc_passwd_unread", "xxe_file.xml", "= [&xxe;]"},
    {"parameter_entity_unread", "xxe_parameter.xml", "= x"},
    {"external_dtd_on_closed_port_unfetched", "external_dtd.xml", "= plain"},
};

// GoogleTest shows the row's name instead of its raw bytes.
void PrintTo(const DecodeRow& row, std::ostream* out)
{
    *out << row.name;
}

class Decode : public TestWithParam<DecodeRow> {};

} // namespace

TEST_P(Decode, GivesTextOrExactMessage)
{
    EXPECT_EQ(outcome([] { return decodeSignalResponse(fixture(GetParam().file)); }), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(CannedResponses, Decode, ValuesIn(kCannedResponses),
                         [](const TestParamInfo<DecodeRow>& info) { return std::string(info.param.name); });

TEST(DecodeFault, CarriesCodeActorAndDetail)
{
    try {
        decodeSignalResponse(fixture("fault.xml"));
        FAIL() << "no fault raised";
    } catch (const ERemotableException& e) {
        EXPECT_EQ(e.FaultCode() + " | " + e.FaultActor() + " | " + e.FaultDetail(),
                  "SOAP-ENV:Server | urn:feed | <detail><reason code=\"7\">closed</reason></detail>");
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
        {"source_cut_counts_characters_not_bytes", "<r>\n<\xC3\xA9" + std::string(50, 'y') + " =", 2,
         "<\xC3\xA9" + std::string(38, 'y')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string message = outcome([&] { return decodeSignalResponse(row.body); });
        const std::string tail = "\r\nLine: " + std::to_string(row.line) + "\r\n" + row.source;
        EXPECT_THAT(message, AllOf(StartsWith("EDOMParseError: "), EndsWith(tail)));
        EXPECT_GT(message.size(), tail.size() + 16) << "no reason";
        EXPECT_EQ(message.find('\n'), message.size() - tail.size() + 1) << "the reason spans lines";
    }
}

TEST(DecodeHostileInput, EntityBombIsRefusedQuickly)
{
    // Expanded, the bomb is 3 GB of "lol"; libxml2's default limits stop it.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(decodeSignalResponse(fixture("entity_bomb.xml")), EDOMParseError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
