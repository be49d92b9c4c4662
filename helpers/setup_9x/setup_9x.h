// Setup9x.dll: the installer's helper library on Windows 9x, loaded by bare name for one call.
// C calling convention, 8-bit strings in the system code page.
#pragma once

extern "C" {

// Shares the queue under shareName, keeping every other setting of the queue; non-zero when
// the queue is now shared under that name.
int __cdecl SharePrinter(const char* printerName, const char* shareName);
}
