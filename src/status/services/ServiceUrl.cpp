#include "status/services/ServiceUrl.h"

#include <QUrl>
#include <arpa/inet.h>
#include <netinet/in.h>

namespace parcelo {

namespace {

// QUrl gives a host address in its normal form: dotted IPv4, IPv6 without brackets.
bool IsLoopbackAddress(const QString& host) {
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (inet_pton(AF_INET, text.constData(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) != 1) {
        return false;
    }
    if (IN6_IS_ADDR_LOOPBACK(&v6)) {
        return true;
    }
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127; // ::ffff:127.x.x.x
}

} // namespace

bool IsAllowedServiceUrl(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return true;
    }
    if (scheme != QLatin1String("http")) {
        return false;
    }
    const QString host = url.host();
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || IsLoopbackAddress(host);
}

} // namespace parcelo
