// The class factory of Lumbrook, the one object DllGetClassObject hands out.
#pragma once

#include "lumbrook/com.h"

namespace lumbrook::automation {

// The process's factory; it lives as long as the library and is not counted as an object.
IClassFactory* LumbrookClassFactory();

}  // namespace lumbrook::automation
