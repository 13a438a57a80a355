#include "core/MsgDlgCopyText.h"

namespace {

constexpr const char* kCrLf = "\r\n";

// Appends `text` with every LF, CR or CR LF written as CR LF.
void appendLines(std::string& out, const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += kCrLf;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
}

} // namespace

std::string msgDlgCopyText(const std::string& title, const std::string& text,
                           const std::vector<std::string>& captions)
{
    const std::string rule(27, '-');
    std::string out = rule + kCrLf;
    appendLines(out, title);
    out += kCrLf + rule + kCrLf;
    appendLines(out, text);
    out += kCrLf + rule + kCrLf;
    for (std::size_t i = 0; i < captions.size(); ++i)
        out += (i == 0 ? "" : "   ") + captions[i];
    out += kCrLf + rule;
    return out;
}
