// Name tracking, bind capture and bind loading. Their tests stand in the tick's order from
// the start; what they do comes with the bind store.
#include "app/engine/Engine.h"

namespace zarvik {

void Engine::NameReply() {}
void Engine::Rename() {}
void Engine::BindReply() {}
void Engine::MapNameReply() {}
Engine::Flow Engine::LoadNow() { return Flow::Continue; }
void Engine::LoadRequest() {}
void Engine::BindRequest() {}

}  // namespace zarvik
