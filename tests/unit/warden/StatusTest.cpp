#include "warden/ExitFailure.h"
#include "warden/StatusLine.h"

#include <asio/error.hpp>
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

namespace warden {
namespace {

// Records what arrives at each flush, as the tray program would see it in its pipe.
class FlushRecorder : public std::stringbuf
{
public:
    std::vector<std::string> flushed;

protected:
    int sync() override
    {
        flushed.push_back(str());
        str("");
        return 0;
    }
};

TEST(StatusLine, EachEventIsOneFlushedLineStartingWithItsCode)
{
    FlushRecorder recorder;
    std::ostream out(&recorder);
    StatusLine status(out);
    status.report(status::kReady);
    status.report(status::kRetrying, "in 4 s");
    ASSERT_EQ(recorder.flushed.size(), 2u);
    EXPECT_EQ(recorder.flushed[0], "160138 ready\n");
    EXPECT_EQ(recorder.flushed[1], "160199 retrying in 4 s\n");
}

TEST(ExitFailure, FailuresMapToTheCodesTheTrayActsOn)
{
    const struct
    {
        std::error_code error;
        int code;
    } cases[] = {
        {asio::error::connection_refused, 160034},
        {asio::error::connection_reset, 160034},
        {asio::error::eof, 160034},
        {asio::error::timed_out, 110033},
        {asio::error::host_not_found, 160033},
        {asio::error::host_unreachable, 160033},
        {asio::error::network_unreachable, 160033},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eventFor(classifyExitError(c.error)).code, c.code) << c.error.message();
    EXPECT_EQ(eventFor(ExitFailure::Rejected).code, 160244);
    EXPECT_EQ(eventFor(ExitFailure::NotSocks).code, 160243);
}

TEST(ExitFailure, RunningOutOfDescriptorsIsNotTheExitsFault)
{
    EXPECT_EQ(classifyExitError(asio::error::no_descriptors), ExitFailure::Local);
    EXPECT_EQ(classifyExitError(std::make_error_code(std::errc::too_many_files_open_in_system)),
              ExitFailure::Local);
}

} // namespace
} // namespace warden
