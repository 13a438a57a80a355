#include "Chain.h"

#include "Loopback.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sys/wait.h>

namespace warden::testing {

Microsocks::Microsocks(std::uint16_t port, std::string address) : m_port(port), m_address(std::move(address))
{
    start();
}

void Microsocks::start()
{
    m_process = std::make_unique<ChildProcess>(
        std::vector<std::string>{"microsocks", "-i", m_address, "-b", m_address, "-p", std::to_string(m_port),
                                 "-u", kUser, "-P", kKey},
        false);
    waitUntilListening(m_address, m_port, std::chrono::seconds(5));
}

void Microsocks::stop()
{
    m_process.reset();
}

namespace {

std::vector<std::string> withTiming(std::vector<std::string> commandLine,
                                    const std::vector<std::string>& timing)
{
    commandLine.insert(commandLine.end(), timing.begin(), timing.end());
    return commandLine;
}

} // namespace

WardenProcess::WardenProcess(std::uint16_t exitPort, const std::string& key, const std::string& exitHost,
                             const std::vector<std::string>& timing)
    : m_localPort(freeLoopbackPort()),
      m_process(
          withTiming({wardenPath(), "-name", kUser, "-key", key, "-do", "-H", std::to_string(m_localPort),
                      "-dirudo", "-port", std::to_string(exitPort), "-say", exitHost},
                     timing))
{
}

bool WardenProcess::waitFor(int code, std::chrono::milliseconds timeout)
{
    return m_process.waitForLine(std::to_string(code) + " ", timeout, &m_lines);
}

std::vector<int> WardenProcess::codes() const
{
    std::vector<int> codes;
    for (const auto& line : m_lines)
        codes.push_back(std::atoi(line.substr(0, 6).c_str()));
    return codes;
}

bool isStatusLine(const std::string& line)
{
    static constexpr std::array kCodes{160036, 160032, 160238, 160239, 160138, 110033, 160244,
                                       160034, 160033, 160243, 171001, 160037, 160207, 160199};
    if (line.size() < 8 || line[6] != ' ' ||
        !std::all_of(line.begin(), line.begin() + 6, [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return std::ranges::find(kCodes, std::atoi(line.substr(0, 6).c_str())) != kCodes.end();
}

int curlThrough(std::uint16_t wardenPort, const std::string& url, const std::string& output)
{
    ChildProcess curl({"curl", "-s", "--max-time", "60", "--socks5-hostname",
                       "127.0.0.1:" + std::to_string(wardenPort), "-o", output, url},
                      false);
    return curl.waitExit(std::chrono::seconds(70)).value_or(-1);
}

} // namespace warden::testing
