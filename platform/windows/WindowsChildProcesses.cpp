#include "platform/windows/WindowsChildProcesses.h"

#include "platform/windows/CommandLineArgument.h"
#include "platform/windows/Handle.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace platform {

namespace {

// How long the release of a child waits for a terminated child to be gone, so that what
// it held (Warden's listening port) is free for the next one.
constexpr DWORD kEndWaitMs = 5000;

// A job that ends every process in it when its last handle closes.
Handle killOnCloseJob()
{
    Handle job(CreateJobObjectA(nullptr, nullptr));
    if (!job) {
        return {};
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        return {};
    }
    return job;
}

class WindowsChildProcess : public ChildProcess
{
public:
    WindowsChildProcess(Handle process, Handle output, Handle job)
        : m_job(std::move(job)), m_process(std::move(process)), m_output(std::move(output))
    {
    }

    ~WindowsChildProcess() override
    {
        // Never left running behind, also when no job holds it.
        if (isRunning()) {
            TerminateProcess(m_process.get(), 0);
        }
        WaitForSingleObject(m_process.get(), kEndWaitMs);
    }

    bool isRunning() override
    {
        DWORD code = 0;
        if (GetExitCodeProcess(m_process.get(), &code) && code != STILL_ACTIVE) {
            return false;
        }
        // A program may also end with the code 259 itself: the process object tells.
        return WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
    }

    std::optional<std::size_t> bytesWaiting() override
    {
        // Fails once the child has ended and everything it wrote has been read.
        DWORD waiting = 0;
        if (!PeekNamedPipe(m_output.get(), nullptr, 0, nullptr, &waiting, nullptr)) {
            return std::nullopt;
        }
        return waiting;
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        // ReadFile on a pipe waits for data: no more is asked for than is there.
        const std::size_t waiting = bytesWaiting().value_or(0);
        const DWORD wanted = static_cast<DWORD>(std::min({size, waiting, std::size_t{MAXDWORD}}));
        DWORD got = 0;
        if (wanted == 0 || !ReadFile(m_output.get(), buffer, wanted, &got, nullptr)) {
            return 0;
        }
        return got;
    }

    // An anonymous pipe cannot be waited on beside a window's messages: it is polled.
    std::optional<int> outputDescriptor() const override { return std::nullopt; }

    bool terminate() override { return TerminateProcess(m_process.get(), 0) || !isRunning(); }

private:
    Handle m_job;
    Handle m_process;
    Handle m_output;
};

// The command line that hands `program` and `arguments` to a child so that the C runtime's
// parser (and CommandLineToArgvW) gives each back exactly as it is. Nothing when the path
// holds a quote, which no Windows path can.
std::optional<std::string> windowsCommandLine(const std::string& program,
                                              const std::vector<std::string>& arguments)
{
    // The program name is parsed by other rules (no escapes: it ends at the next quote),
    // so it is always quoted whole; quoted, a path with blanks cannot be read as a shorter
    // path followed by arguments.
    if (program.find('"') != std::string::npos) {
        return std::nullopt;
    }
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments) {
        line += " " + commandLineArgument(argument);
    }
    return line;
}

} // namespace

std::unique_ptr<ChildProcess> WindowsChildProcesses::start(const std::string& program,
                                                           const std::vector<std::string>& arguments)
{
    std::optional<std::string> commandLine = windowsCommandLine(program, arguments);
    if (!commandLine) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return nullptr;
    }
    Handle output(readEnd);
    Handle childOutput(writeEnd);
    // Only the child's end is handed on; our end stays ours alone.
    if (!SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, 0)) {
        return nullptr;
    }

    // The child inherits its ends of the pipes and nothing else: any other inheritable
    // handle of this program (made by another thread, say) would otherwise go with it and
    // could keep a pipe of this program open for as long as Warden runs.
    std::vector<HANDLE> inherited{childOutput.get()};
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD inputFlags = 0;
    if (input == INVALID_HANDLE_VALUE || !input || !GetHandleInformation(input, &inputFlags) ||
        !(inputFlags & HANDLE_FLAG_INHERIT)) {
        input = nullptr;
    } else {
        inherited.push_back(input);
    }
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::vector<char> listBuffer(listSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listBuffer.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &listSize)) {
        return nullptr;
    }
    const bool listed =
        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                  inherited.size() * sizeof(HANDLE), nullptr, nullptr);

    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = childOutput.get();
    startup.StartupInfo.hStdError = childOutput.get();
    startup.lpAttributeList = attributes;
    // Suspended until it is in its job, so nothing it starts escapes the job.
    const DWORD flags =
        CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION created{};
    const BOOL started = listed && CreateProcessA(nullptr, commandLine->data(), nullptr, nullptr, TRUE, flags,
                                                  nullptr, nullptr, &startup.StartupInfo, &created);
    DeleteProcThreadAttributeList(attributes);
    // The child holds its own copy of the write end: the pipe ends when the child does.
    childOutput.reset();
    if (!started) {
        return nullptr;
    }
    Handle process(created.hProcess);
    const Handle thread(created.hThread);

    // Without a job (none could be made, or Windows 7 refuses one inside the job that
    // this program runs in) the child still runs and is still ended on release.
    Handle job = killOnCloseJob();
    if (job && !AssignProcessToJobObject(job.get(), process.get())) {
        job.reset();
    }
    if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(process.get(), 1);
        return nullptr;
    }
    return std::make_unique<WindowsChildProcess>(std::move(process), std::move(output), std::move(job));
}

} // namespace platform
