// The conversion between the program's UTF-8 text and the UTF-16 text of a BSTR is public,
// header only; the program's code keeps including it by this name.
#pragma once

#include "lumbrook/utf16.h"
