#include "global/process_state.h"

namespace lumbrook {

ModGlobal& Global() {
    static ModGlobal state;
    return state;
}

}  // namespace lumbrook
