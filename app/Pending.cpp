// Temporary: until the pages, the engine and the backdrop are wired in, the setup
// window closes on its first timer message.
#include "SetupWnd.h"

void CSetupWnd::RunSequence(UINT_PTR nIDEvent)
{
    KillTimer(nIDEvent);
    DestroyWindow();
}

void CSetupWnd::OnSetupFinished() {}
