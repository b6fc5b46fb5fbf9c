// Start-up: the program's entry.
#include "engine.h"

namespace engine {

void AppMain() { rt_end(0); }

}  // namespace engine
