#pragma once

// Set once a program's run has returned and it is ending; script functions
// that would change the interface check it.
extern bool ShuttingDown;
