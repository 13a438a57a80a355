#include "platform/windows/ButtonCaptions.h"

#include <windows.h>

namespace platform {

namespace {

constexpr UINT kFirstCaptionId = 800;

} // namespace

std::array<std::string, 7> messageBoxButtonCaptions()
{
    // Loaded on first need and kept: the captions are read for every message box.
    static const HMODULE user32 = LoadLibraryA("user32.dll");
    std::array<std::string, 7> captions;
    if (user32 == nullptr) {
        return captions;
    }
    for (UINT i = 0; i < captions.size(); ++i) {
        char text[64] = {};
        const int length = LoadStringA(user32, kFirstCaptionId + i, text, sizeof(text));
        if (length > 0) {
            captions[i].assign(text, static_cast<std::size_t>(length));
        }
    }
    return captions;
}

} // namespace platform
