#include "StderrMute.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace morvane {

StderrMute::StderrMute() : saved_(::dup(STDERR_FILENO))
{
    std::fflush(stderr);
    const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (sink >= 0) {
        ::dup2(sink, STDERR_FILENO);
        ::close(sink);
    }
}

StderrMute::~StderrMute()
{
    std::fflush(stderr);
    if (saved_ >= 0) {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
}

} // namespace morvane
