#pragma once

// The processes of a relay chain under test: microsocks as the exit, and Warden started
// the way the tray program starts it, its status lines read while it runs.

#include "ChildProcess.h"
#include "TestCredentials.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace warden::testing {

inline constexpr std::chrono::seconds kStepWait{15};

// Warden's pauses between verifications of an exit, shortened for the tests that wait
// through them: 50 ms doubling up to 400 ms instead of 1 s up to 30 s.
inline const std::vector<std::string> kQuickRetries{"-retry", "50", "-retrymax", "400"};

class Microsocks
{
public:
    // Listens on address:port and makes its own connections from that address, so a
    // destination sees which exit a connection came through.
    explicit Microsocks(std::uint16_t port, std::string address = "127.0.0.1");
    std::uint16_t port() const { return m_port; }
    void start();
    void stop();

private:
    std::uint16_t m_port;
    std::string m_address;
    std::unique_ptr<ChildProcess> m_process;
};

class WardenProcess
{
public:
    // Started with the tray program's command line, followed by `timing` (flags that
    // shorten Warden's pauses and limits).
    WardenProcess(std::uint16_t exitPort, const std::string& key = kKey,
                  const std::string& exitHost = "127.0.0.1", const std::vector<std::string>& timing = {});

    std::uint16_t localPort() const { return m_localPort; }
    ChildProcess& process() { return m_process; }

    // Waits for a line with `code`; lines read on the way are kept in lines().
    bool waitFor(int code, std::chrono::milliseconds timeout = kStepWait);
    // The codes of the lines read so far, in order.
    std::vector<int> codes() const;
    const std::vector<std::string>& lines() const { return m_lines; }

private:
    std::uint16_t m_localPort;
    ChildProcess m_process;
    std::vector<std::string> m_lines;
};

// True for "CODE text" with one of the codes Warden reports.
bool isStatusLine(const std::string& line);

// Runs curl through Warden, writing the body to `output`; curl's exit status.
int curlThrough(std::uint16_t wardenPort, const std::string& url, const std::string& output);

} // namespace warden::testing
