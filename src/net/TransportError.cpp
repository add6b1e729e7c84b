#include "net/TransportError.h"

#include <netdb.h>

#include <cstring>

TransportError TransportError::posix(int errorNumber, std::string reason)
{
    return {kPosixErrorDomain, errorNumber, std::strerror(errorNumber), std::move(reason)};
}

TransportError TransportError::resolver(int resolverCode)
{
    return {kResolverErrorDomain, resolverCode, gai_strerror(resolverCode), {}};
}

TransportError TransportError::own(std::string domain, long code, std::string description)
{
    return {std::move(domain), code, std::move(description), {}};
}

std::string describe(const std::optional<TransportError> &error)
{
    return error ? error->description : "(null)";
}
