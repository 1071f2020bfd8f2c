#pragma once
// Where the wrapper's messages go: the console from the command line; the event
// log, the debugger output and the program's log file when it runs as a service.

#include <string>
#include <string_view>

#include "core/win32/Windows.h"

namespace vtl::wrapper::win32 {

class RotatingLog;

enum class Severity { Info, Warning, Error };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void Report(Severity severity, std::string_view text) = 0;
};

// Standard error (errors and warnings) and standard output (the rest), plus the
// log once it is open.
class ConsoleSink final : public MessageSink {
  public:
    void AttachLog(RotatingLog* log) { log_ = log; }
    void Report(Severity severity, std::string_view text) override;

  private:
    RotatingLog* log_ = nullptr;
};

// The Application event log under the service's name as its source, the debugger
// output, and the log once it is open.
class ServiceSink final : public MessageSink {
  public:
    explicit ServiceSink(std::string_view serviceName);
    ~ServiceSink() override;
    ServiceSink(const ServiceSink&) = delete;
    ServiceSink& operator=(const ServiceSink&) = delete;

    void AttachLog(RotatingLog* log) { log_ = log; }
    void Report(Severity severity, std::string_view text) override;

  private:
    std::string serviceName_;
    HANDLE eventSource_ = nullptr;
    RotatingLog* log_ = nullptr;
};

}  // namespace vtl::wrapper::win32
