// Object now lives with the core, whose node type it is; this name keeps hosts' includes working.
#pragma once

#include "../core/object.h"
