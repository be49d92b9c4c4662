// SetupNT.dll: the installer's helper library on the NT family. The installer loads it by bare
// name for one call and looks each export up by exactly these names. C calling convention,
// 8-bit strings in the system code page; every result is non-zero for success, 0 for failure.
#pragma once

extern "C" {

// Installs the setup information file folder + "\Driver\" + infName (with SetupCopyOEMInfA),
// recording that folder as the source of its companion files.
int __cdecl CopyInf(const char* folder, const char* infName);

// Prepares the port of a queue. portBuffer is a 260-byte buffer holding a copy of portName;
// what it holds afterwards becomes the queue's port. For connection type 3 (a printer shared
// by another computer, portName "\\server\share") a local port of that name is made sure to
// exist; non-zero when it does. Other connection types need nothing here: 0, buffer untouched.
int __cdecl InstallPort(const char* portName, int connectionType, char* portBuffer);

// Asks plug-and-play to re-enumerate the local device tree; non-zero when it did.
int __cdecl RefreshLocalDevNode(void);

// Makes the queue the default printer; non-zero when it now is.
int __cdecl SetDefault(const char* printerName);
}
