// The player's chat commands and the greeting on entering a game.
#include "app/engine/Engine.h"

#include "zarvik/Version.h"

namespace zarvik {

void Engine::PowerOn() {
    Submit("^7Zarvik is now ^2on", false);
    state_.TurnedOn = true;
    io_.options.SetCheck(Option::Power, 1);
    io_.settings.Write("Power", std::to_string(io_.options.Check(Option::Power)));
}

void Engine::PowerOff() {
    Submit("^7Zarvik is now ^1off", false);
    state_.TurnedOn = false;
    io_.options.SetCheck(Option::Power, 0);
    io_.settings.Write("Power", std::to_string(io_.options.Check(Option::Power)));
}

void Engine::Greeting() {
    Submit("say ^2[^1k^3I^1r^3!^2]'s ^4Zar^6v^1i^6k ^7v" ZARVIK_VERSION_TEXT, true);
    if (io_.options.IsOn(Option::GetName)) Submit("name", true);
    state_.LoadAfterName = true;
}

void Engine::DateReply() { Submit("^7The ^5Date ^7is: ^1" + io_.clock.ShortDate(), false); }

void Engine::TimeReply() { Submit("^7The ^5Time ^7is currently: ^1" + io_.clock.TimeOfDay(), false); }

void Engine::AboutReply() { Submit("say ^4Zar^6v^1i^6k ^7v" ZARVIK_VERSION_TEXT " ^6 by ^2[^1k^3I^1r^3!^2]", true); }

void Engine::NameReplyToPlayer() { Submit("^1Your name is: ^7" + Name(), false); }

void Engine::AskMapName() { Submit("mapname", true); }

}  // namespace zarvik
