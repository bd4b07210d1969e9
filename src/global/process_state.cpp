#include "global/process_state.h"

namespace lumbrook {

namespace {
// Set by AdoptGlobal in the data browser module; null in the server.
ModGlobal* adoptedState = nullptr;
}  // namespace

ModGlobal& Global() {
    if (adoptedState != nullptr)
        return *adoptedState;
    static ModGlobal state;
    return state;
}

void AdoptGlobal(ModGlobal& state) {
    adoptedState = &state;
}

}  // namespace lumbrook
