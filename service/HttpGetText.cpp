#include "service/HttpGetText.h"

#include <algorithm>

bool HttpGetText(platform::Http& http, const std::string& url, std::string& text)
{
    const std::unique_ptr<platform::HttpSession> session = http.open(kServiceAgent);
    if (!session) {
        return false;
    }
    const std::unique_ptr<platform::HttpBody> body = session->openUrl(url);
    if (!body) {
        return false;
    }
    char block[1024];
    for (std::size_t taken = 0; taken < kMaxTextBody;) {
        const std::size_t got = body->read(block, sizeof block);
        if (got == 0) {
            break;
        }
        text.append(block, std::find(block, block + got, '\0'));
        taken += got;
    }
    return true;
}
