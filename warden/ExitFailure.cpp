#include "warden/ExitFailure.h"

#include <asio/error.hpp>

namespace warden {

ExitFailure classifyExitError(const std::error_code& error)
{
    if (error == asio::error::timed_out)
        return ExitFailure::TimedOut;
    if (error == asio::error::connection_refused || error == asio::error::connection_reset ||
        error == asio::error::connection_aborted || error == asio::error::eof ||
        error == asio::error::broken_pipe)
        return ExitFailure::Refused;
    if (error == asio::error::no_descriptors || error == std::errc::too_many_files_open_in_system ||
        error == asio::error::no_buffer_space || error == asio::error::no_memory)
        return ExitFailure::Local;
    return ExitFailure::Unreachable;
}

const status::Event& eventFor(ExitFailure failure)
{
    switch (failure) {
    case ExitFailure::TimedOut:
        return status::kTimedOut;
    case ExitFailure::Rejected:
        return status::kRejected;
    case ExitFailure::Refused:
        return status::kRefused;
    case ExitFailure::NotSocks:
        return status::kNotSocks;
    case ExitFailure::Unreachable:
    case ExitFailure::Local:
        break;
    }
    return status::kUnreachable;
}

} // namespace warden
