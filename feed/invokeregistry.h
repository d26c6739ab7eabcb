// SPDX-License-Identifier: MIT
#pragma once
// Process-wide registry of invokable interfaces. Interfaces are entered once
// at start-up; every call of a client reads its record again, so readers take
// a shared lock and never block each other.

#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace quorvane {

/// What a client needs to know about one interface to put a call on the wire.
struct InvokableInterface {
    std::string name;                 ///< e.g. "HelloWorldPortType"
    std::string guid;                 ///< interface identifier
    std::string nameSpace;            ///< namespace of the operation element
    std::string encoding;             ///< description encoding; kept, not used on the wire
    std::string soapAction;           ///< default SOAPAction of every operation
    bool rpcEncoded = true;           ///< RPC style with SOAP section 5 encoding
    std::string returnNames;          ///< empty: the default "Result;Return"
};

class InvokableRegistry {
public:
    /// Enters or replaces the record of `info.name`.
    void RegisterInterface(const InvokableInterface& info);
    /// A copy of the record, so the caller never holds the lock.
    std::optional<InvokableInterface> Find(const std::string& name) const;

private:
    mutable std::shared_mutex m_lock;
    std::unordered_map<std::string, InvokableInterface> m_interfaces;
};

/// The registry of this process.
InvokableRegistry& invRegistry();

} // namespace quorvane
