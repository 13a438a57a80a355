#include "warden/StatusLine.h"

#include <string>

namespace warden {

void StatusLine::report(const status::Event& event, std::string_view detail)
{
    std::string line = std::to_string(event.code);
    line += ' ';
    line += event.text;
    if (!detail.empty()) {
        line += ' ';
        line += detail;
    }
    line += '\n';
    m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_out.flush();
}

} // namespace warden
