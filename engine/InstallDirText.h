// What an installation directory's text must be for the engine to prepare it: the bounds
// of its buffers, and the rules a directory given on the command line is held to before
// anything is touched. No windows.h: the switch parser and the host tests use it too.
#pragma once

#include <cstddef>

#include "InstallLayout.h"

// Paths of the installation live in buffers of this size; shell paths in MAX_PATH (260).
const size_t PATH_BUFFER_SIZE = 256;

// The longest installation directory (full path with its trailing backslash) whose derived
// paths all fit PATH_BUFFER_SIZE: the examples subdirectory is the longest suffix.
const size_t MAX_INSTALL_DIR_LENGTH = PATH_BUFFER_SIZE - sizeof EXAMPLES_SUBDIR;
static_assert(sizeof EXAMPLES_SUBDIR >= sizeof MACROS_SUBDIR && sizeof EXAMPLES_SUBDIR >= sizeof DOCS_SUBDIR,
              "MAX_INSTALL_DIR_LENGTH leaves room for the longest subdirectory");

// Null when pszDir is a directory an unattended installation can be given, otherwise the
// reason it is refused, as a sentence. The page's chooser lets the user try anything and
// reports the failure afterwards; a script gets its answer before any work instead, so a
// directory given this way must be a full path that the preparation would reach as it
// stands:
//   - a drive letter, a colon and a backslash, then at least one name (C:\Pelorin): no
//     relative path, whose meaning depends on where the script runs, no drive root, no
//     network name (the preparation walks from a drive's root);
//   - names separated by single backslashes, each without the characters Windows keeps out
//     of names (< > : " / | ? * and control characters) and not ending in a dot or a
//     space, which Windows would drop, so that "." and ".." are refused too, and none a
//     device's name (IsDeviceName: C:\CON, C:\Pelorin\NUL.txt), which would open a port or
//     the console instead of a folder;
//   - short enough that, with its trailing backslash, it fits MAX_INSTALL_DIR_LENGTH.
// One trailing backslash is expected to have been removed already, as the chooser does.
const char* InstallDirTextProblem(const char* pszDir);
