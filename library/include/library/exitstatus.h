#pragma once
// Exit statuses of the daemon program mvnd. The service installer reads them to tell
// the user what its "-install" / "-uninstall" run did.
namespace mvnz {

enum ExitStatus : int {
  kExitOk = 0,
  kExitFatal = 1,             // a fatal end: a service manager may restart the daemon
  kExitRefused = 2,           // wrong program name, another instance runs or would not stop
  kExitAlreadyInstalled = 3,  // -install of an installed service
  kExitServiceFailed = 4,     // -install / -uninstall failed
  kExitNotInstalled = 5,      // -uninstall of a service that is not installed
};

}  // namespace mvnz
