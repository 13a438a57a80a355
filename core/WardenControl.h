#pragma once

#include "core/ActivityLog.h"
#include "core/ExitServers.h"
#include "core/HidingPhase.h"
#include "core/MainView.h"
#include "core/WardenLines.h"
#include "platform/Host.h"
#include "proxy/ProxySwitch.h"

#include <memory>
#include <string>
#include <vector>

// Hiding: starting Warden for an exit, reading its output as it arrives (and once a
// second, where the system cannot tell when it arrives), interpreting its lines, showing
// the state in the tray, the commands that stop and resume hiding, and the reconnect
// after a lost connection. The main window calls these from its handlers and timers; what
// only a window can do goes through the view.
class WardenControl
{
public:
    struct Settings
    {
        std::string applicationFolder; // ends in the separator
        std::string internalPort;
        // Where what the proxy switch changes outside the program's folder is recorded.
        std::string restoreFile;
    };

    static constexpr int kPollIntervalMs = 1000;
    static constexpr int kResetIntervalMs = 1000;
    // The most taken from the pipe in one read.
    static constexpr std::size_t kReadSize = 255;

    WardenControl(platform::Host host, MainView& view, ActivityLog& log, const ExitServers& servers,
                  Settings settings);
    ~WardenControl();

    // Starts Warden for the exit `host` with the handshake's values. Throws
    // std::runtime_error("Error to start Warden!") when the process cannot be created.
    void DiruDO(const std::string& host, const std::string& exitPort, const std::string& exitUser,
                const std::string& exitKey);
    // Ends Warden if it runs and releases it in any case.
    void Sweep();
    // The one-second tick, the clock of everything hiding does in ticks: the tick's own
    // work, then Warden's output read as readWarden does.
    void timReadTimer();
    // Warden's output has data, or its end has closed: read at once as readWarden does,
    // between ticks and without counting as one.
    void wardenOutputReady();
    void timResetTimer();
    void DiruDO1Click();
    void StopDiruDO1Click();
    // The proxy on at 127.0.0.1 and the internal port, with the bypass list of the window.
    void EnableProxy();
    // Interprets every line not interpreted yet.
    void ProcessMsg();
    void SetDiruDOStatus(DiruDOStatus kind, const std::string& text, BalloonIcon icon);

    HidingPhase hidingPhase() const { return m_hidingPhase; }
    const std::string& commandLine() const { return m_commandLine; }
    const std::vector<std::string>& PipeLines() const { return m_pipe.lines(); }
    std::size_t ProcessedCount() const { return m_processedCount; }
    ProxySwitch& proxySwitch() { return m_proxy; }

private:
    // Reads and interprets what Warden wrote. A Warden that has ended is a lost connection
    // while hiding is on; before it was ready, once all it wrote is read, it is a failure
    // to start: status Off, "Error to start Warden!" in the log and a box.
    void readWarden();
    void lostConnection();
    void endedBeforeReady();
    void carryOut(const std::string& line);

    platform::Host m_host;
    MainView& m_view;
    ActivityLog& m_log;
    const ExitServers& m_servers;
    Settings m_settings;
    ProxySwitch m_proxy;
    std::unique_ptr<platform::ChildProcess> m_warden;
    // Counts the Wardens started, so a tick knows whether the one it read is still the one.
    unsigned m_wardenRuns = 0;
    // Whether a code of the current Warden has turned hiding off (and said why in a box).
    bool m_wardenTurnedOff = false;
    // Whether its output is left unwatched until the next tick.
    bool m_outputPaused = false;
    std::string m_commandLine;
    WardenLines m_pipe;
    std::size_t m_processedCount = 0;
    HidingPhase m_hidingPhase = HidingPhase::NotConfirmed;
};

// The command line Warden is started with, as text: the program's path (quoted when it
// holds blanks) and its arguments with single blanks between them.
std::string wardenCommandLine(const std::string& program, const std::vector<std::string>& arguments);
// Warden's arguments: -name USER -key KEY -do -H LOCALPORT -dirudo -port EXITPORT -say HOST.
std::vector<std::string> wardenArguments(const std::string& host, const std::string& exitPort,
                                         const std::string& exitUser, const std::string& exitKey,
                                         const std::string& internalPort);
// The bypass list as the proxy settings take it: every line followed by a comma.
std::string bypassList(const std::vector<std::string>& lines);
