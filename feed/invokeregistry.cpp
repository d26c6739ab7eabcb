// SPDX-License-Identifier: MIT
#include "invokeregistry.h"

#include <mutex>

namespace quorvane {

void InvokableRegistry::RegisterInterface(const InvokableInterface& info)
{
    std::unique_lock lock(m_lock);
    m_interfaces[info.name] = info;
}

std::optional<InvokableInterface> InvokableRegistry::Find(const std::string& name) const
{
    std::shared_lock lock(m_lock);
    const auto it = m_interfaces.find(name);
    if (it == m_interfaces.end())
        return std::nullopt;
    return it->second;
}

InvokableRegistry& invRegistry()
{
    // Function-local so that start-up registrations in other translation
    // units never see an unconstructed registry.
    static InvokableRegistry registry;
    return registry;
}

} // namespace quorvane
