// The owning interface pointer is public, header only, so that hosts use the same one; the
// program's code keeps including it by this name.
#pragma once

#include "lumbrook/com_ptr.h"
