#pragma once
// -install and -remove: create and delete a service from the command line. Each
// returns 0 on success or the Windows error code of the failure, and says what
// happened on the console.

#include <cstdint>
#include <string_view>

#include "wrapper/WrapperArgs.h"

namespace vtl::wrapper::win32 {

class MessageSink;

[[nodiscard]] std::uint32_t InstallService(const InstallRequest& request, MessageSink& messages);
[[nodiscard]] std::uint32_t RemoveService(std::string_view serviceName, MessageSink& messages);

// How long -remove waits for a running service to stop before deleting it.
inline constexpr std::uint32_t kRemoveStopWaitMs = 60000;

}  // namespace vtl::wrapper::win32
