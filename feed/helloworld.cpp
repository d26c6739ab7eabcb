#include "helloworld.h"

#include "exceptions.h"
#include "httprio.h"

namespace quorvane {

namespace {

constexpr const char* kDefaultURL = "http://localhost/webservice/server.php";
constexpr const char* kDefaultWSDL = "http://localhost/webservice/server.php?wsdl";

// Start-up registration: the interface is in the registry before main()
// runs, and so before any client exists.
const bool g_registered = [] {
    RegisterHelloWorld(InvRegistry());
    return true;
}();

} // namespace

std::shared_ptr<HelloWorldPortType> GetSignalService(bool useWSDL, const std::string& addr)
{
    (void)g_registered;
    const std::string address = !addr.empty() ? addr : (useWSDL ? kDefaultWSDL : kDefaultURL);
    if (useWSDL) {
        // Binding through the service description is not offered; fail with a
        // message instead of handing out an empty reference to dereference.
        throw Exception("Service description binding is not supported: '" + address + "'");
    }
    auto rio = std::make_shared<THTTPRIO>();
    rio->SetURL(address);
    return rio;
}

} // namespace quorvane
