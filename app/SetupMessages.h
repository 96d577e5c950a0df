// The messages and timers by which the setup window, the progress dialog and the engine
// drive one another.
#pragma once

#include <windows.h>

// Posted to the setup window when the work is over; wParam and lParam 0.
const UINT WM_SETUP_FINISHED = WM_USER;

// The setup window's one-shot timer that starts the installation sequence.
const UINT_PTR TIMER_START = 1;

// The progress dialog's own timer. The engine sends WM_TIMER with this id after every file
// it writes, so that bar and slides move while the message loop does not turn.
const UINT_PTR TIMER_PROGRESS = 2;
