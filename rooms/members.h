#pragma once

// The members of an examination on the broker, for code that takes them
// together; what uses one of them includes its own header.

#include "controller.h"
#include "room.h"
