// What "payload --help" prints: the commands, options, manifest, folder layout and rules.
#pragma once

extern const char PAYLOAD_HELP_TEXT[];
