#pragma once
// The application object's terminate request: the program ends when control returns to the
// message loop (or, during start-up, when the start-up sequence has returned).
namespace app {
void Terminate();
bool TerminateRequested();
void ResetTerminate();  // tests
} // namespace app
