// SPDX-License-Identifier: MIT
// Costs of one signal service call. In memory: building the request and
// decoding replies of 10 to 100,000 records. On loopback, with a fresh client
// per call as the poll makes it: our client, a bare libcurl POST of the same
// bytes (the floor) and python3-zeep, compared by CPU time per call.

#include "feed/helloworld.h"
#include "tests/support/loopbackserver.h"
#include "tests/support/scratchfolder.h"
#include "feed/soapenvelope.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace quorvane;

namespace {

std::string records(int count)
{
    std::string text;
    char record[128];
    for (int i = 0; i < count; ++i) {
        std::snprintf(record, sizeof record, "(Symbol:PAIR%04d,Price:%.5f,Time:2026-12-08 10:15:00,Signal:%.4f)",
                      i % 10000, 1.0 + i * 1e-5, (i % 200 - 100) / 100.0);
        text += record;
    }
    return text;
}

std::string envelope(const std::string& value)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:ns1=\"urn:HelloWorld\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
           "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
           "<SOAP-ENV:Body><ns1:SignalResponse><return xsi:type=\"xsd:string\">"
        + value + "</return></ns1:SignalResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
}

void BM_BuildRequest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(buildSignalRequest("urn:HelloWorld", 0, ""));
}
BENCHMARK(BM_BuildRequest);

void BM_DecodeRecords(benchmark::State& state)
{
    const std::string body = envelope(records(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeSignalResponse(body));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_DecodeRecords)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------------- loopback

// The reply of the demo service: eight records. Every response closes its
// connection, as a fresh client per call would anyway.
test::LoopbackServer& responder()
{
    static test::LoopbackServer server([](const test::HttpRequest&, int) {
        static const std::string body = envelope(records(8));
        test::HttpReply reply;
        reply.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\nContent-Length: "
            + std::to_string(body.size()) + "\r\n\r\n" + body;
        reply.close = true;
        return reply;
    });
    return server;
}

std::string ourCall(const std::string& url)
{
    return GetSignalService(false, url)->Signal(0, "");
}

size_t collect(char* data, size_t size, size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// The floor: the same bytes and headers with a fresh easy handle, no XML.
std::string bareCurlCall(const std::string& url)
{
    static const std::string body = buildSignalRequest("urn:HelloWorld", 0, "");
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "SOAPAction: \"urn:HelloWorld#Adder\"");
    headers = curl_slist_append(headers, "Content-Type: text/xml");
    headers = curl_slist_append(headers, "Accept: text/xml");
    headers = curl_slist_append(headers, "Expect:");
    std::string response;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quorvane SOAP 1.1");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response);
    curl_easy_perform(curl);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}

void BM_CallOurClient(benchmark::State& state)
{
    const std::string url = responder().url();
    for (auto _ : state)
        benchmark::DoNotOptimize(ourCall(url));
}
BENCHMARK(BM_CallOurClient)->Unit(benchmark::kMicrosecond);

void BM_CallBareCurl(benchmark::State& state)
{
    const std::string url = responder().url();
    for (auto _ : state)
        benchmark::DoNotOptimize(bareCurlCall(url));
}
BENCHMARK(BM_CallBareCurl)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------- CPU comparison

double threadCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU per call of two loops, measured call by call in alternation so that
// load from other processes on the machine hits both alike.
std::pair<double, double> cpuPerCallAlternating(const std::function<std::string()>& first,
                                                const std::function<std::string()>& second, int calls)
{
    first(); // warm-up
    second();
    double sums[2] = {0.0, 0.0};
    for (int i = 0; i < calls; ++i) {
        // Swap the order every call: the second of a pair meets the server
        // still closing the first one's connection.
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            const double start = threadCpuSeconds();
            if ((which == 0 ? first() : second()).empty())
                std::abort();
            sums[which] += threadCpuSeconds() - start;
        }
    }
    return {sums[0] / calls, sums[1] / calls};
}

// zeep in a subprocess; it reports its own CPU time for the loop. < 0: unavailable.
double zeepCpuPerCall(const std::string& url, int calls, bool reuse)
{
    std::string wsdl = test::readFile(std::string(QUORVANE_SOURCE_DIR) + "/sim/docroot/webservice/helloworld.wsdl");
    wsdl.replace(wsdl.find("@ENDPOINT@"), 10, url);
    const test::ScratchFolder scratch;
    const std::string wsdlPath = scratch / "helloworld.wsdl";
    test::writeFile(wsdlPath, wsdl);
    const std::string command = "/usr/bin/python3 '" + std::string(QUORVANE_SOURCE_DIR) + "/bench/feed/zeep_loop.py' '"
        + wsdlPath + "' '" + url + "' " + std::to_string(calls) + (reuse ? " reuse" : "") + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    char line[64] = {};
    const bool read = pipe && std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = pipe ? ::pclose(pipe) : -1;
    if (!read || status != 0)
        return -1.0;
    return std::atof(line) / calls;
}

void compare(int calls)
{
    const std::string url = responder().url();
    const auto [ours, floor] = cpuPerCallAlternating([&] { return ourCall(url); },
                                                     [&] { return bareCurlCall(url); }, calls);
    const int zeepCalls = std::max(calls / 10, 20);
    const double zeepFresh = zeepCpuPerCall(url, zeepCalls, false);
    const double zeepReused = zeepCpuPerCall(url, zeepCalls, true);

    std::printf("\nCPU time per call (user+sys), loopback, 8-record reply, %d calls each, alternating (zeep: %d):\n", calls, zeepCalls);
    std::printf("  %-34s %9.1f us\n", "quorvane client (fresh per call)", ours * 1e6);
    std::printf("  %-34s %9.1f us\n", "bare libcurl POST (fresh handle)", floor * 1e6);
    std::printf("  ours / bare libcurl: %.2fx (target <= 1.3x)\n", ours / floor);
    if (zeepFresh > 0) {
        std::printf("  %-34s %9.1f us\n", "python3-zeep (fresh client)", zeepFresh * 1e6);
        std::printf("  %-34s %9.1f us\n", "python3-zeep (one client reused)", zeepReused * 1e6);
        std::printf("  zeep fresh / ours: %.1fx (target >= 8x); zeep reused / ours: %.1fx\n", zeepFresh / ours,
                    zeepReused / ours);
    } else {
        std::printf("  python3-zeep not available: no comparison\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    int calls = 2000;
    // --compare_calls=N (0 skips the comparison); the rest goes to the library.
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--compare_calls=", 16) == 0) {
            calls = std::atoi(argv[i] + 16);
            for (int k = i; k + 1 < argc; ++k)
                argv[k] = argv[k + 1];
            --argc;
            --i;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (calls > 0)
        compare(calls);
    return 0;
}
