// What tests use of the shell beyond the program's own procedures: the window opened and
// closed without the modal loop, every piece of state reset at once, the ledger given up.
#pragma once

// Creates and initialises the window without running the loop.
void OpenShellForTesting();
// Destroys the window and puts every piece of the program's state back as it was at start.
void CloseShellForTesting();
// Gives up the ledger's lock and the listening for later starts.
void EndRunForTesting();
