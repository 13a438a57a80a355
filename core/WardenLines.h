#pragma once

#include <string>
#include <string_view>
#include <vector>

// Warden's output as lines, however its text is cut into reads. A line ends at CR LF, a
// lone CR or a lone LF. A line split across reads is kept whole, a CR LF split across
// reads ends one line, not two, and a last line without its break waits for it, or for
// finish() once Warden has ended and nothing more can come. Lines only ever grow in
// number, so positions into them stay valid.
class WardenLines
{
public:
    void append(std::string_view text);
    // Takes an unterminated last line as a line.
    void finish();
    // Drops an unterminated last line: what a Warden that is ended left half said.
    void dropPartial();

    const std::vector<std::string>& lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
    std::string m_partial;
    // The last read ended with CR: an LF that opens the next read belongs to it.
    bool m_afterCr = false;
};
