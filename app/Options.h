// The option bits live in engine/Options.h. This header stays only for the engine files
// that still include it by its old name; it goes once they include the engine's own.
#pragma once

#include "../engine/Options.h"
