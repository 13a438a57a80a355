#include "service/ServiceHandshake.h"

#include "core/Global.h"
#include "service/AnswerLines.h"
#include "service/Crc32.h"
#include "service/HttpGetText.h"
#include "service/MachineId.h"
#include "service/ServiceAnswer.h"

std::string serviceRequest(const std::string& baseAddress, const std::string& machineId,
                           const std::string& version, unsigned language, int attempt,
                           const std::string& checksum)
{
    return baseAddress + kServicePath + "?id=" + machineId +
           "&productid=1&sn=" + "&version=" + LeadingVersion(version) + "69" +
           "&language=" + std::to_string(language) + "&i=" + std::to_string(attempt) + checksum;
}

ServiceHandshake::ServiceHandshake(platform::Host host, MainView& view, ActivityLog& log,
                                   ExitServers& servers, WardenControl& warden, Settings settings)
    : m_host(host), m_view(view), m_log(log), m_servers(servers), m_warden(warden),
      m_settings(std::move(settings))
{
}

void ServiceHandshake::SilentUpdate()
{
    m_view.setTimer(MainTimer::Read, false, WardenControl::kPollIntervalMs);
    const auto language = static_cast<std::uint16_t>(m_host.systemInfo.systemLanguageId());
    m_log.report("Init settings...");
    const std::string machineId = GetMachineId(m_host.adapters);
    m_log.report("Done");
    const std::string checksum = fileChecksumText(m_settings.programFile);

    m_log.report("SilentUpdate...");
    m_warden.SetDiruDOStatus(DiruDOStatus::Busy, "SilentUpdate. Please wait...", BalloonIcon::Information);
    const std::vector<std::string>& bases = m_settings.baseAddresses;
    for (std::size_t attempt = 0; attempt < bases.size(); ++attempt) {
        const std::string n = std::to_string(attempt);
        if (attempt > 0) {
            m_warden.SetDiruDOStatus(DiruDOStatus::Busy, "Try SilentUpdate-" + n + " ...",
                                     BalloonIcon::Information);
        }
        m_log.report("SilentUpdate-" + n + " ...");
        std::string text;
        if (!HttpGetText(m_host.http,
                         serviceRequest(bases[attempt], machineId, m_settings.version, language,
                                        static_cast<int>(attempt), checksum),
                         text)) {
            continue;
        }
        m_log.report("SilentUpdate-" + n + " OK");
        if (isServiceAnswer(text)) {
            m_log.report("UpdateVerify-" + n + " OK");
            evaluate(text);
            return;
        }
    }
    failed();
}

void ServiceHandshake::failed()
{
    m_log.report("SilentUpdate Failed!");
    m_log.report("Please unblock Nimbra");
    // Its Reconnect runs a whole handshake of its own before the dialog goes; this run's
    // failure is still shown afterwards.
    m_view.ShowUnblock(UnblockReason::HandshakeFailed);
    m_warden.SetDiruDOStatus(DiruDOStatus::Off, "SilentUpdate Failed!", BalloonIcon::Error);
    m_view.setDiruDOEnabled(false);
}

void ServiceHandshake::evaluate(const std::string& text)
{
    const ServiceAnswer answer = readServiceAnswer(answerLines(text), m_settings.cipherKey);
    bool useful = false;
    if (answer.serviceNotAvailable) {
        reportFailure("Service NOT available! Please contact us at once!");
        useful = true;
    }
    if (answer.newVersion) {
        m_log.report(std::string("New version of Nimbra is needed! Your current version is: ") +
                     m_settings.version);
        m_view.ShowUpdate();
        useful = true;
    }
    m_servers.ServerCount = answer.count;
    if (answer.count > 0) {
        useful = true;
        m_servers.ExitPort = answer.exitPort;
        m_servers.ExitUser = answer.exitUser;
        m_servers.ExitKey = answer.exitKey;
        m_servers.ServerList = answer.servers;
        m_view.ShowIPSelection(true);
    }
    if (!useful) {
        reportFailure("SilentUpdate Failed! Nothing Useful!");
    }
}

void ServiceHandshake::reportFailure(const std::string& text)
{
    m_log.report(text);
    m_view.SkinMsgBox(global::kAppTitle, text, MsgKind::Error, MsgButton::Ok);
    m_warden.SetDiruDOStatus(DiruDOStatus::Off, text, BalloonIcon::Error);
}
