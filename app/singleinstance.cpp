#include "singleinstance.h"

namespace quorvane {

namespace {
class StubMutex : public NamedMutex {
public:
    bool OpenExisting(const std::string&) override { return false; }
    void Create(const std::string&) override {}
    void Release() override {}
};
} // namespace

std::unique_ptr<NamedMutex> MakeNamedMutex() { return std::make_unique<StubMutex>(); }

} // namespace quorvane
