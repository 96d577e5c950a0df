// The messages by which the progress dialog, the engine and the setup window drive one
// another.
#pragma once

#include <windows.h>

// Posted to the setup window when the work is over; wParam and lParam 0.
const UINT WM_SETUP_FINISHED = WM_USER;

// The progress dialog's own timer. The engine sends WM_TIMER with this id after every file
// it writes, so that bar and slides move while the message loop does not turn.
const UINT_PTR TIMER_PROGRESS = 2;
