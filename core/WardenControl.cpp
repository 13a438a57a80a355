#include "core/WardenControl.h"

#include "core/Global.h"
#include "core/ProxySwitchBoxes.h"
#include "core/WardenMessages.h"

#include <stdexcept>

namespace {

constexpr int kBalloonMs = 10000;
// A Warden that could not be created, and one that ended before it was ready.
constexpr const char* kStartError = "Error to start Warden!";

} // namespace

WardenControl::WardenControl(platform::Host host, MainView& view, ActivityLog& log,
                             const ExitServers& servers, Settings settings)
    : m_host(host), m_view(view), m_log(log), m_servers(servers), m_settings(std::move(settings)),
      m_proxy(host, log, m_settings.restoreFile)
{
}

WardenControl::~WardenControl() = default;

std::string wardenCommandLine(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string line = program.find(' ') == std::string::npos ? program : "\"" + program + "\"";
    for (const std::string& argument : arguments) {
        line += " " + argument;
    }
    return line;
}

std::vector<std::string> wardenArguments(const std::string& host, const std::string& exitPort,
                                         const std::string& exitUser, const std::string& exitKey,
                                         const std::string& internalPort)
{
    return {"-name",      exitUser,  "-key",  exitKey,  "-do",  "-H",
            internalPort, "-dirudo", "-port", exitPort, "-say", host};
}

std::string bypassList(const std::vector<std::string>& lines)
{
    std::string list;
    for (const std::string& line : lines) {
        list += line + ",";
    }
    return list;
}

void WardenControl::DiruDO(const std::string& host, const std::string& exitPort, const std::string& exitUser,
                           const std::string& exitKey)
{
    const std::string program = m_settings.applicationFolder + platform::kWardenProgram;
    if (!m_host.folders.fileExists(program)) {
        m_view.SkinMsgBox(global::kAppTitle, "Can not find Warden!", MsgKind::Error, MsgButton::Ok);
        return;
    }
    SetDiruDOStatus(DiruDOStatus::Busy, "Connecting to Internet. Please wait...", BalloonIcon::Information);
    // Each value is one argument as it stands: no shell, and nothing in a value can split
    // it or add an option.
    const std::vector<std::string> arguments =
        wardenArguments(host, exitPort, exitUser, exitKey, m_settings.internalPort);
    m_commandLine = wardenCommandLine(program, arguments);
    // A Warden still held is let go as the new one takes its place, and its descriptor
    // with it.
    if (m_warden) {
        m_view.watchWardenOutput(std::nullopt);
    }
    m_warden = m_host.processes.start(program, arguments);
    if (!m_warden) {
        throw std::runtime_error(kStartError);
    }
    ++m_wardenRuns;
    m_wardenTurnedOff = false;
    m_outputPaused = false;
    m_view.watchWardenOutput(m_warden->outputDescriptor());
    m_view.setTimer(MainTimer::Read, true, kPollIntervalMs);
}

void WardenControl::Sweep()
{
    m_view.setTimer(MainTimer::Read, false, kPollIntervalMs);
    // One that has ended by itself is released (and reaped) all the same.
    if (m_warden && m_warden->isRunning() && !m_warden->terminate()) {
        m_view.SkinMsgBox(global::kAppTitle, "Can not close Warden!", MsgKind::Error, MsgButton::Ok);
    }
    // Unwatched before the release closes the descriptor, which the system may hand out
    // again at once.
    m_view.watchWardenOutput(std::nullopt);
    m_warden.reset();
    // What this Warden left half said is neither the start of the next Warden's first line
    // nor a line of its own, whose code the next Warden's first tick would carry out.
    m_pipe.dropPartial();
}

void WardenControl::timReadTimer()
{
    // Profiles of a browser that was running at the switch on are written once it has ended.
    if (m_proxy.waitingForBrowsers()) {
        m_proxy.writeWaitingProfiles();
    }
    if (m_warden && m_outputPaused) {
        m_outputPaused = false;
        m_view.watchWardenOutput(m_warden->outputDescriptor());
    }
    readWarden();
}

void WardenControl::wardenOutputReady()
{
    // Nothing to read from a Warden that runs: either a tick took it first, or Warden has
    // closed its output, and a closed pipe stays readable, which would call this again
    // without pause. The watch rests until the next tick, which reads on meanwhile.
    if (m_warden && m_warden->isRunning() && m_warden->bytesWaiting().value_or(0) == 0) {
        m_outputPaused = true;
        m_view.watchWardenOutput(std::nullopt);
        return;
    }
    readWarden();
}

void WardenControl::readWarden()
{
    if (!m_warden) {
        return;
    }
    if (!m_warden->isRunning() && m_hidingPhase == HidingPhase::On) {
        lostConnection();
        return;
    }
    const std::optional<std::size_t> waiting = m_warden->bytesWaiting();
    if (!waiting || *waiting == 0) {
        // Whatever Warden left unterminated is complete once it has ended.
        if (!m_warden->isRunning()) {
            const unsigned run = m_wardenRuns;
            m_pipe.finish();
            ProcessMsg();
            // A box of its last lines lets other ticks and handlers run: one of them may
            // have dealt with this end already, or started another Warden.
            if (m_warden && run == m_wardenRuns && m_hidingPhase != HidingPhase::On) {
                endedBeforeReady();
            }
        }
        return;
    }
    char buffer[kReadSize];
    const std::size_t got = m_warden->read(buffer, kReadSize);
    // A zero byte in Warden's output ends what this read takes of it.
    const std::string_view received(buffer, got);
    m_pipe.append(received.substr(0, received.find('\0')));
    ProcessMsg();
}

void WardenControl::lostConnection()
{
    m_log.report("Connection lost");
    SetDiruDOStatus(DiruDOStatus::Off, "Connection lost", BalloonIcon::Error);
    Sweep();
    if (m_view.SkinMsgBox(global::kAppTitle, "Do you want to reconnect?", MsgKind::Warning,
                          MsgButton::Yes | MsgButton::No) == MsgResult::Yes) {
        m_view.setTimer(MainTimer::Reset, true, kResetIntervalMs);
    } else {
        m_proxy.releaseProfiles();
    }
}

void WardenControl::endedBeforeReady()
{
    // Warden ends at once on a command line it refuses or a port it cannot serve; without
    // this the tray would stay busy for ever. Status and release come first: a log that
    // cannot be written must not leave the dead Warden held. One whose last code already
    // turned hiding off has said why: it is released without a second box.
    const bool toldAlready = m_wardenTurnedOff;
    if (!toldAlready) {
        SetDiruDOStatus(DiruDOStatus::Off, kStartError, BalloonIcon::Error);
    }
    Sweep();
    if (!toldAlready) {
        m_log.report(kStartError);
        m_view.SkinMsgBox(global::kAppTitle, kStartError, MsgKind::Error, MsgButton::Ok);
    }
}

void WardenControl::timResetTimer()
{
    m_view.setTimer(MainTimer::Reset, false, kResetIntervalMs);
    const TServer& server = m_servers.ServerList.at(static_cast<std::size_t>(m_servers.ServerIndex));
    DiruDO(server.Host, m_servers.ExitPort, m_servers.ExitUser, m_servers.ExitKey);
}

void WardenControl::StopDiruDO1Click()
{
    m_view.setTimer(MainTimer::Read, false, kPollIntervalMs);
    showSwitchReport(m_view, m_proxy.SetProxy(false, "", ""));
    SetDiruDOStatus(DiruDOStatus::Off, "User stopped Diru DO", BalloonIcon::Information);
    m_log.report("User stopped Diru DO");
}

void WardenControl::DiruDO1Click()
{
    EnableProxy();
    m_log.report("Diru DO ON");
    SetDiruDOStatus(DiruDOStatus::On, "Diru DO ON", BalloonIcon::Information);
    // Warden is read again: without it a Warden that ended, or an exit lost, while the
    // proxy was off would go unnoticed behind "Diru DO ON". What it said meanwhile is read
    // now, so the status catches up with it.
    if (m_warden) {
        m_view.setTimer(MainTimer::Read, true, kPollIntervalMs);
    }
}

void WardenControl::EnableProxy()
{
    showSwitchReport(m_view,
                     m_proxy.SetProxy(true, std::string(global::kWardenHost) + ":" + m_settings.internalPort,
                                      bypassList(m_view.bypassLines())));
}

void WardenControl::ProcessMsg()
{
    while (m_processedCount < m_pipe.lines().size()) {
        // Counted before its steps: a box of this line lets later ticks run, and they must
        // not take this line again.
        const std::string line = m_pipe.lines()[m_processedCount];
        ++m_processedCount;
        carryOut(line);
    }
}

void WardenControl::carryOut(const std::string& line)
{
    const std::string code(wardenCode(line));
    const WardenMessage* row = findWardenMessage(code);
    if (row == nullptr) {
        m_log.report(code);
        return;
    }
    if (row->hidingPhase) {
        m_hidingPhase = *row->hidingPhase;
    }
    // Known before its box opens, so a tick run while it is open does not say it again.
    if (row->status && row->status->kind == DiruDOStatus::Off) {
        m_wardenTurnedOff = true;
    }
    if (row->enableProxy) {
        EnableProxy();
    }
    for (const std::string_view text : {row->log, row->secondLog}) {
        if (!text.empty()) {
            m_log.report(std::string(text));
        }
    }
    if (row->unblock) {
        m_view.ShowUnblock(*row->unblock);
    }
    if (!row->box.empty()) {
        m_view.SkinMsgBox(global::kAppTitle, std::string(row->box), MsgKind::Error, MsgButton::Ok);
    }
    if (row->status) {
        SetDiruDOStatus(row->status->kind, std::string(row->status->text), row->status->icon);
    }
}

void WardenControl::SetDiruDOStatus(DiruDOStatus kind, const std::string& text, BalloonIcon icon)
{
    TrayStatus status{kind, text, global::kAppTitle, text, icon, kBalloonMs, std::nullopt, std::nullopt};
    switch (kind) {
    case DiruDOStatus::Busy:
        break;
    case DiruDOStatus::On:
        status.hint = "Diru DO ON";
        status.diruDOEnabled = false;
        status.stopDiruDOEnabled = true;
        break;
    case DiruDOStatus::Off:
        status.hint = "Diru DO OFF";
        status.diruDOEnabled = true;
        status.stopDiruDOEnabled = false;
        break;
    default:
        return; // no other kind changes anything
    }
    m_view.showStatus(status);
}
