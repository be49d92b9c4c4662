// The host address file: the local address the printer search is sent from, picked by the user
// in the adapter selection dialog and kept between runs in a profile file of the user's
// application-data folder. And the rows of that dialog's adapter list.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/network_adapters.h"
#include "platform/profile_strings.h"
#include "platform/system_paths.h"

namespace tq {

inline constexpr char kHostAddressFolderName[] = "TRX100";
inline constexpr char kHostAddressFileName[] = "HostIPAddress.ini";
inline constexpr char kHostAddressSection[] = "IP";
inline constexpr char kHostAddressKey[] = "Address";
// Readers take the value into a buffer of this size: at most 31 characters.
inline constexpr std::size_t kHostAddressBufferSize = 32;

// What goes to the standard output when the adapters cannot be listed.
inline constexpr char kAdapterListFailedText[] = "Call to GetAdaptersInfo failed.\n";

// The application-data folder followed by "\TRX100"; when that folder is unknown, the folder
// holding the program followed by "\TRX100". Empty when neither is known.
std::string HostAddressFolder(SystemPaths& paths);

// HostAddressFolder followed by "\HostIPAddress.ini"; empty when the folder is.
std::string HostAddressFilePath(SystemPaths& paths);

// Creates the folder (an existing one is fine, a failure is not reported) and reads [IP]
// Address, at most 31 characters; empty when the file, the key or the folder is missing.
std::string ReadHostAddress(SystemPaths& paths, FileSystem& files, ProfileStrings& profile);

// Creates the folder, makes an existing file writable (read-only and hidden cleared) and writes
// [IP] Address. Failures are not reported: the next read finds the old value or none.
void StoreHostAddress(SystemPaths& paths, FileSystem& files, ProfileStrings& profile,
                      const std::string& address);

// The adapter list's rows, each {description, address}, in the order the adapters give them (the
// list sorts itself). When the adapters cannot be listed, kAdapterListFailedText goes to `out`
// (the standard output in the program) and there are no rows.
std::vector<std::vector<std::string>> AdapterRows(NetworkAdapters& adapters, std::FILE* out);

}  // namespace tq
