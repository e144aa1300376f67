// Fills and confirms a Save-As dialog without the user: the dialog that a
// call opens on this thread is caught by a CBT hook, kept off the screen,
// given the file name and type, and its OK pressed; an overwrite question
// is answered Yes (or, centre only, shown centred for the user). Any other
// message the dialog shows is centred for the user, and a dialog that our
// OK did not end is cancelled.
#pragma once

#include <windows.h>

// Runs call(context) with the automation in place. 0 when a dialog with a
// file-name box (1148) was caught, filled and confirmed and the file was
// written during the call; -1 otherwise, and at once when an automation is already
// running (also when called from inside the dialog's own modal loop).
// typeIndex + 1 is the entry chosen in the file-type box (1136).
int SaveAsDialogRun(HWND owner, const char* fileName, int typeIndex, BOOL centreOnly, void (*call)(void*),
                    void* context);
