#include "app/console/GameConsoles.h"

#include "app/console/ConsoleLink.h"

namespace zarvik {

std::string GameConsoles::ReadOutput() {
    useText_ = text_.Running() && !FindGameConsoleWindow();
    return useText_ ? text_.ReadOutput() : window_.ReadOutput();
}

void GameConsoles::Submit(const std::string& text, bool asCommand) {
    if (!useText_) return window_.Submit(text, asCommand);
    Pause(1);
    text_.Type(text, asCommand);
}

}  // namespace zarvik
