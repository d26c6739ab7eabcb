// SPDX-License-Identifier: MIT
#include "helloworld.h"

#include "httprio.h"

namespace quorvane {

namespace {

constexpr const char* kDefaultURL = "http://localhost/webservice/server.php";
constexpr const char* kDefaultWSDL = "http://localhost/webservice/server.php?wsdl";

} // namespace

std::shared_ptr<HelloWorldPortType> GetSignalService(bool useWSDL, const std::string& addr)
{
    const std::string address = !addr.empty() ? addr : (useWSDL ? kDefaultWSDL : kDefaultURL);
    auto rio = std::make_shared<THTTPRIO>();
    if (useWSDL)
        rio->SetWSDLLocation(address, "HelloWorld", "HelloWorldPort");
    else
        rio->SetURL(address);
    return rio;
}

} // namespace quorvane
