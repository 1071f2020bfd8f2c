#pragma once
// Registry keys and values shared with the wrapper VtlShell.exe. Every name the
// program and the wrapper use lives here.

#include <string>
#include <string_view>

namespace vtl {

inline constexpr std::string_view kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
// Sub-key of a wrapped service with the program to run.
inline constexpr std::string_view kParametersKey = "parameters";
inline constexpr std::string_view kApplicationValue = "Application";
// Sub-key of a wrapped service with its start parameter.
inline constexpr std::string_view kVtlParamsKey = "VTLParams";
inline constexpr std::string_view kParamsValue = "Params";
// Product key read by the about box.
inline constexpr std::string_view kProductKey = "SOFTWARE\\Orvane\\Vantrel";
inline constexpr std::string_view kVersionValue = "Version";

// "SYSTEM\CurrentControlSet\Services\<service>".
[[nodiscard]] inline std::string ServiceKeyPath(std::string_view serviceName) {
    std::string path(kServicesKey);
    path += '\\';
    path += serviceName;
    return path;
}
// "...\Services\<service>\parameters".
[[nodiscard]] inline std::string ParametersKeyPath(std::string_view serviceName) {
    return ServiceKeyPath(serviceName) + "\\" + std::string(kParametersKey);
}
// "...\Services\<service>\VTLParams".
[[nodiscard]] inline std::string VtlParamsKeyPath(std::string_view serviceName) {
    return ServiceKeyPath(serviceName) + "\\" + std::string(kVtlParamsKey);
}

}  // namespace vtl
