#pragma once

// The error value both sockets report: a domain text, a signed code, a description and, for operating-system
// errors, the failure reason ("Error in connect() function", ...).

#include <optional>
#include <string>

struct TransportError {
    std::string domain;
    long code = 0;
    std::string description;
    std::string failureReason;

    // An operating-system error: errno, the system's message for it, and which call failed.
    static TransportError posix(int errorNumber, std::string reason);
    // A host-resolution failure with the resolver's (getaddrinfo) code and message.
    static TransportError resolver(int resolverCode);
    // A socket class's own error.
    static TransportError own(std::string domain, long code, std::string description);
};

inline constexpr const char *kPosixErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char *kResolverErrorDomain = "kCFStreamErrorDomainNetDB";

// The text logged for an optional error where the program prints it with "%@": its description, or
// "(null)" when there is none.
std::string describe(const std::optional<TransportError> &error);
