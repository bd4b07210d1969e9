#include "automation/mod_global.h"

namespace lumbrook {

ModGlobal& Global() {
    static ModGlobal state;
    return state;
}

}  // namespace lumbrook
