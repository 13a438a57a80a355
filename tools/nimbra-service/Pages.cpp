#include "tools/nimbra-service/Pages.h"

#include <array>
#include <utility>

namespace nimbra_service {

namespace {

constexpr std::string_view kHome = R"(<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>Nimbra</title></head>
<body>
<h1>Nimbra</h1>
<p>Nimbra hides your IP address while you browse: it sends your browsers' traffic through
an exit server of your choice, so the sites you visit see the exit's address instead of
yours.</p>
<p>This is the local reference service. It answers Nimbra's start-up question with its
list of exit servers and shows your address as the sites see it.</p>
<ul>
<li><a href="/ip">Your IP address as this service sees it</a></li>
<li><a href="/setup-firewall.htm">Setting up your firewall</a></li>
<li><a href="/contact.php">Contact</a></li>
</ul>
</body>
</html>
)";

constexpr std::string_view kFirewall = R"(<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>Nimbra – setting up your firewall</title></head>
<body>
<h1>Setting up your firewall</h1>
<p>Nimbra needs two programs to reach the network. If your firewall asks, or if Nimbra
reports that it cannot connect, allow both:</p>
<ul>
<li><b>nimbra</b>, the tray program: it connects out over HTTP to its service to fetch the
list of exit servers and to check for updates.</li>
<li><b>warden</b>, its companion: it listens on 127.0.0.1 only, for your browsers, and
connects out to the exit server you picked on the exit's SOCKS5 port.</li>
</ul>
<p>Neither program needs to accept connections from other machines. Allowing outgoing
connections for both, and local connections to warden, is enough.</p>
<p><a href="/">Back to the home page</a></p>
</body>
</html>
)";

constexpr std::string_view kContact = R"(<!DOCTYPE html>
<html lang="en">
<head><meta charset="utf-8"><title>Nimbra – contact</title></head>
<body>
<h1>Contact</h1>
<p>This is a local reference service, run by whoever started it on this machine. For
questions about Nimbra itself, write to the people who gave you the program; please say
which version you use and what the activity log shows.</p>
<p><a href="/">Back to the home page</a></p>
</body>
</html>
)";

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kPages{{
    {"/", kHome},
    {"/setup-firewall.htm", kFirewall},
    {"/contact.php", kContact},
}};

} // namespace

std::optional<std::string_view> pageAt(std::string_view path)
{
    for (const auto& [pagePath, html] : kPages) {
        if (pagePath == path) {
            return html;
        }
    }
    return std::nullopt;
}

} // namespace nimbra_service
