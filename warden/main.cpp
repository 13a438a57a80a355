// Warden: a local SOCKS5 server on 127.0.0.1 that carries every connection through an
// authenticated SOCKS5 exit, reporting its state on stdout for the tray program.

#include "warden/CommandLine.h"
#include "warden/StatusLine.h"
#include "warden/System.h"
#include "warden/Warden.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    if (!warden::bindLifetimeToParent())
        return 1;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto options = warden::parseCommandLine(args);
    if (!options) {
        std::cerr << warden::kUsage << std::endl;
        return 2;
    }
    warden::raiseDescriptorLimit();
    warden::ignoreBrokenPipe();

    warden::StatusLine status(std::cout);
    warden::Warden app(*options, status);
    if (!app.start())
        return 1;
    app.run();
    return 0;
}
