// SPDX-License-Identifier: MIT
#include "curlwebnode.h"

#include "core/exceptions.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <memory>
#include <mutex>
#include <vector>

namespace quorvane {

namespace {

void globalInit()
{
    // curl_global_init is not thread-safe; do it once, before any handle.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string invalidUrl(const std::string& url)
{
    return "Invalid url '" + url + "' - only supports 'http' and 'https' schemes";
}

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

template <typename T>
void setopt(CURL* curl, CURLoption option, T value)
{
    // Options set here are all supported by the libcurl we build against, so
    // a failure means a broken install; the perform that follows reports it.
    curl_easy_setopt(curl, option, value);
}

// libcurl hands us the OpenSSL context before each handshake. Certificates
// whose validity dates have passed (or not yet come) still count, for every
// certificate of the chain; the chain itself must still lead to a trusted CA.
CURLcode ignoreCertificateDates(CURL*, void* sslContext, void*)
{
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
    if (!store || X509_STORE_set_flags(store, X509_V_FLAG_NO_CHECK_TIME) != 1)
        return CURLE_SSL_CERTPROBLEM;
    return CURLE_OK;
}

} // namespace

EndpointUrl parseEndpointUrl(const std::string& url)
{
    globalInit();
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), &curl_url_cleanup);
    if (!handle)
        throw std::bad_alloc();
    if (curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        throw Exception(invalidUrl(url));

    const auto part = [&](CURLUPart which, unsigned flags) {
        char* text = nullptr;
        std::string result;
        if (curl_url_get(handle.get(), which, &text, flags) == CURLUE_OK && text)
            result = text;
        curl_free(text);
        return result;
    };
    EndpointUrl endpoint;
    endpoint.url = url;
    endpoint.scheme = part(CURLUPART_SCHEME, 0);
    if (endpoint.scheme != "http" && endpoint.scheme != "https")
        throw Exception(invalidUrl(url));
    endpoint.host = part(CURLUPART_HOST, 0);
    if (endpoint.host.empty())
        throw Exception(invalidUrl(url));
    const std::string port = part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
    endpoint.port = port.empty() ? 0 : std::stoi(port);
    endpoint.path = part(CURLUPART_PATH, 0);
    const std::string query = part(CURLUPART_QUERY, 0);
    if (!query.empty())
        endpoint.path += "?" + query;
    return endpoint;
}

CurlWebNode::CurlWebNode()
{
    globalInit();
}

CurlWebNode::~CurlWebNode()
{
    Close();
}

void CurlWebNode::Close()
{
    if (m_curl) {
        curl_easy_cleanup(m_curl);
        m_curl = nullptr;
    }
}

void CurlWebNode::SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total)
{
    m_connectTimeout = connect;
    m_totalTimeout = total;
}

std::size_t CurlWebNode::onBody(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* node = static_cast<CurlWebNode*>(self);
    const std::size_t bytes = size * count;
    if (node->m_response.size() + bytes > node->m_maxResponseBytes) {
        node->m_tooLarge = true;
        return 0; // stops the transfer
    }
    node->m_response.append(data, bytes);
    return bytes;
}

std::size_t CurlWebNode::onHeader(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* node = static_cast<CurlWebNode*>(self);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    // A status line starts every response, interim ones (100) included; the
    // last one belongs to the response we read.
    if (line.substr(0, 5) == "HTTP/") {
        std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        rest.remove_prefix(std::min(rest.find(' '), rest.size()));
        if (!rest.empty())
            rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n'))
            rest.remove_suffix(1);
        node->m_statusText.assign(rest.substr(0, 4096));
    }
    return bytes;
}

std::string CurlWebNode::Execute(const EndpointUrl& endpoint, const std::string& soapAction,
                                 const std::string& body)
{
    return perform(endpoint, soapAction, &body);
}

std::string CurlWebNode::Get(const EndpointUrl& endpoint)
{
    return perform(endpoint, std::string(), nullptr);
}

std::string CurlWebNode::perform(const EndpointUrl& endpoint, const std::string& soapAction,
                                 const std::string* body)
{
    const auto transportError = [&](const std::string& description) {
        std::string text = description.substr(0, 256);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        Close();
        return Exception(text + " - URL:" + endpoint.url + " - SOAPAction:" + soapAction);
    };

    // The action can come from a service description; a line break in it
    // would let that document add header lines of its own.
    for (const char c : soapAction) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw Exception("Invalid SOAPAction header value - URL:" + endpoint.url);
    }

    if (!m_curl) {
        m_curl = curl_easy_init();
        if (!m_curl)
            throw transportError("Cannot open an HTTP session");
    }
    CURL* curl = m_curl;

    std::vector<std::string> lines;
    if (body) {
        lines.push_back("SOAPAction: \"" + soapAction + "\"");
        lines.push_back("Content-Type: text/xml");
    }
    lines.push_back("Accept: text/xml");
    // libcurl would otherwise wait for "100 Continue" on larger bodies.
    lines.push_back("Expect:");
    std::unique_ptr<curl_slist, SlistFree> headers;
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown)
            throw std::bad_alloc();
        (void)headers.release();
        headers.reset(grown);
    }

    char errorBuffer[CURL_ERROR_SIZE] = {};
    m_response.clear();
    m_statusText.clear();
    m_tooLarge = false;

    setopt(curl, CURLOPT_URL, endpoint.url.c_str());
    setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    setopt(curl, CURLOPT_NOSIGNAL, 1L);
    setopt(curl, CURLOPT_USERAGENT, kAgent);
    if (body) {
        setopt(curl, CURLOPT_POST, 1L);
        setopt(curl, CURLOPT_POSTFIELDS, body->data());
        setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    } else {
        setopt(curl, CURLOPT_HTTPGET, 1L);
    }
    setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    setopt(curl, CURLOPT_WRITEFUNCTION, &CurlWebNode::onBody);
    setopt(curl, CURLOPT_WRITEDATA, this);
    setopt(curl, CURLOPT_HEADERFUNCTION, &CurlWebNode::onHeader);
    setopt(curl, CURLOPT_HEADERDATA, this);
    setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeout.count()));
    setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(m_totalTimeout.count()));
    setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maxResponseBytes));
    // https: the certificate chain must lead to a trusted CA, so nobody in
    // between can answer for the service. Only the host name and the validity
    // dates are let pass: the service runs on hosts whose certificates rarely
    // match their names or are kept up to date. Plain http never reaches these.
    setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &ignoreCertificateDates);
    if (!m_caFile.empty()) {
        setopt(curl, CURLOPT_CAINFO, m_caFile.c_str());
        setopt(curl, CURLOPT_CAPATH, static_cast<char*>(nullptr));
    }

    const CURLcode rc = curl_easy_perform(curl);
    // The handle must not keep pointers into this frame.
    setopt(curl, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    setopt(curl, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));

    if (m_tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
        m_response.clear();
        m_response.shrink_to_fit();
        throw transportError("Response body exceeds " + std::to_string(m_maxResponseBytes) + " bytes");
    }
    if (rc != CURLE_OK)
        throw transportError(errorBuffer[0] != '\0' ? std::string(errorBuffer) : std::string(curl_easy_strerror(rc)));

    long status = 0;
    if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 300 && status != 500) {
        const std::string message = m_statusText + " (" + std::to_string(status) + ") - '" + endpoint.url + "'";
        Close();
        throw Exception(message);
    }
    std::string response;
    response.swap(m_response);
    return response;
}

} // namespace quorvane
