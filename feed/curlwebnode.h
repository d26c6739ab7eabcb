// SPDX-License-Identifier: MIT
#pragma once
// WebNode on libcurl: one easy handle per node stands for the session and
// the connection, so calls of one client reuse its connection.

#include "webnode.h"

#include <cstddef>

typedef void CURL;

namespace quorvane {

class CurlWebNode : public WebNode {
public:
    static constexpr const char* kAgent = "Quorvane SOAP 1.1";
    static constexpr std::size_t kDefaultMaxResponseBytes = 16u * 1024u * 1024u;

    CurlWebNode();
    ~CurlWebNode() override;
    CurlWebNode(const CurlWebNode&) = delete;
    CurlWebNode& operator=(const CurlWebNode&) = delete;

    std::string Execute(const EndpointUrl& endpoint, const std::string& soapAction,
                        const std::string& body) override;
    std::string Get(const EndpointUrl& endpoint) override;
    void Close() override;
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) override;

    /// A larger body fails the call instead of filling memory.
    void SetMaxResponseBytes(std::size_t bytes) { m_maxResponseBytes = bytes; }

    /// Trust only the CA certificates in this PEM file for https (tests make
    /// their own); empty, the default: the system's trust store.
    void SetCaFile(const std::string& path) { m_caFile = path; }

private:
    /// POST when `body` is set, else GET.
    std::string perform(const EndpointUrl& endpoint, const std::string& soapAction, const std::string* body);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);

    CURL* m_curl = nullptr;
    std::chrono::milliseconds m_connectTimeout{5000};
    std::chrono::milliseconds m_totalTimeout{10000};
    std::size_t m_maxResponseBytes = kDefaultMaxResponseBytes;
    std::string m_caFile;

    // State of the exchange under way.
    std::string m_response;
    std::string m_statusText;
    bool m_tooLarge = false;
};

} // namespace quorvane
