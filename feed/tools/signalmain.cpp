// quorvane-signal [URL]: one call of the signal service, as a poll makes it.
// Prints the reply text (exit 0) or the error message (exit 1).

#include "apppaths.h"
#include "exceptions.h"
#include "filelocations.h"
#include "helloworld.h"

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: quorvane-signal [URL]\n"
    "Calls Signal(0, \"\") on the signal service at URL (default: "
    "http://localhost/webservice/server.php) and prints the reply text.\n";

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
            // Where the window program beside this tool keeps the user's files.
            const std::string program = quorvane::executableFolder(quorvane::executablePath()) + "quorvane";
            std::cout << kUsage << "\nQuorvane's files for this user:\n"
                      << quorvane::describeFileLocations(
                             quorvane::chooseFileLocations(program, quorvane::userFoldersFromEnvironment()));
            return 0;
        }
        if (argv[1][0] == '-') {
            std::cerr << "quorvane-signal: unknown option " << argv[1] << "\n" << kUsage;
            return 2;
        }
        url = argv[1];
    }
    try {
        const std::shared_ptr<quorvane::HelloWorldPortType> service = quorvane::GetSignalService(false, url);
        std::cout << service->Signal(0, std::string());
        std::cout.flush();
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
}
