// The order of the operator's server commands, apart from the Windows calls
// that carry them out: each step runs only when the one before it returned,
// so a failing step (the timer refused) ends the command there.
#pragma once

#include <functional>

namespace carrow {

enum class ServerCommand { Start, Restart, Stop };

struct ServerSteps {
    std::function<void()> terminateAll;       // every process of the server's image name
    std::function<void(bool)> setLogTimer;    // enables or disables the log refresh timer
    std::function<void()> launch;             // starts the server; its result is not examined
};

void RunServerCommand(ServerCommand command, const ServerSteps& steps);

}  // namespace carrow
