#include "platform/Files.h"

#include <algorithm>
#include <string>
#include <windows.h>

namespace platform {

bool isLink(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool replaceFile(const std::string& path, const std::string& content)
{
    // A fresh name of its own beside the file (CREATE_NEW never opens what lies there),
    // written, flushed to disk and moved over the old one, so a crash leaves the old file
    // or the new one.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount() + attempt);
        const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return false;
        }
        std::size_t written = 0;
        while (written < content.size()) {
            DWORD n = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - written, 1 << 20));
            if (!WriteFile(file, content.data() + written, chunk, &n, nullptr) || n == 0) {
                break;
            }
            written += n;
        }
        const bool complete = written == content.size() && FlushFileBuffers(file);
        const bool closed = CloseHandle(file);
        if (!complete || !closed ||
            !MoveFileExA(temporary.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileA(temporary.c_str());
            return false;
        }
        return true;
    }
    return false;
}

} // namespace platform
