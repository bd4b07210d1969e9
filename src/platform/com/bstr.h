// The BSTR wrapper and its UTF-8 conversions are public, header only, so that hosts use the
// same ones; the program's code keeps including them by this name.
#pragma once

#include "lumbrook/bstr.h"
