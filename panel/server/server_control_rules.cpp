#include "server/server_control_rules.h"

namespace carrow {

void RunServerCommand(ServerCommand command, const ServerSteps& steps) {
    switch (command) {
    case ServerCommand::Start:  // the timer first: the first refresh comes one period after the click
        steps.setLogTimer(true);
        steps.launch();
        return;
    case ServerCommand::Restart:  // at once, without waiting for the old server to end
        steps.terminateAll();
        steps.setLogTimer(true);
        steps.launch();
        return;
    case ServerCommand::Stop:  // the view keeps the last refresh's text
        steps.terminateAll();
        steps.setLogTimer(false);
        return;
    }
}

}  // namespace carrow
