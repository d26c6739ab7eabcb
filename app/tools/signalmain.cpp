// SPDX-License-Identifier: MIT
// quorvane-signal [URL]: one call of the signal service, as a poll makes it.
// Prints the reply text (exit 0) or the error message (exit 1). Without a URL it
// calls the endpoint the window calls: [Service] Url of the window's settings file.

#include "app/apppaths.h"
#include "app/filelocations.h"
#include "app/inifile.h"
#include "app/settingstable.h"
#include "core/exceptions.h"
#include "feed/helloworld.h"

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage = "Usage: quorvane-signal [URL]\n"
                               "Calls Signal(0, \"\") on the signal service at URL and prints the reply text.\n"
                               "Without URL: the endpoint the window uses, [Service] Url of its settings file\n"
                               "(http://localhost/webservice/server.php when that names none).\n";
constexpr const char* kDefaultEndpoint = "http://localhost/webservice/server.php";

// The window beside this tool, found as the window finds its own files.
quorvane::LocationChoice windowFiles()
{
    const std::string program = quorvane::executableFolder(quorvane::executablePath()) + "quorvane";
    return quorvane::chooseFileLocations(program, quorvane::userFoldersFromEnvironment());
}

std::string windowEndpoint(const quorvane::FileLocations& locations)
{
    return quorvane::readServiceUrl(quorvane::TIniFile(locations.settingsFile));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::string url;
    if (argc == 2) {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            const quorvane::LocationChoice files = windowFiles();
            const std::string endpoint = windowEndpoint(files.locations);
            std::cout << kUsage << "\nWithout URL this calls "
                      << (endpoint.empty() ? std::string(kDefaultEndpoint) : endpoint) << " ("
                      << (endpoint.empty() ? "no [Service] Url in " : "[Service] Url of ")
                      << files.locations.settingsFile << ").\n"
                      << "\nQuorvane's files for this user:\n"
                      << quorvane::describeFileLocations(files);
            return 0;
        }
        if (argv[1][0] == '-') {
            std::cerr << "quorvane-signal: unknown option " << argv[1] << "\n" << kUsage;
            return 2;
        }
        url = argv[1];
    }
    try {
        if (url.empty())
            url = windowEndpoint(windowFiles().locations);
        const std::shared_ptr<quorvane::HelloWorldPortType> service = quorvane::GetSignalService(false, url);
        std::cout << service->Signal(0, std::string());
        std::cout.flush();
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
}
