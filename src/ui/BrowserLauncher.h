#pragma once

#include <QString>
#include <string>

class QUrl;
class QWidget;

namespace parcelo {

// True for an address a tracking page may open, here or in the browser: a well-formed
// http or https address with a host.
bool IsWebAddress(const QUrl& url);

// The message for a tracking address that is not an http:// or https:// address; with a
// courier (index >= 0) it names the courier and its line in parcelo.ini.
QString AddressRefusedText(const std::u16string& address, const std::u16string& courierName, int courierIndex);

// Hands a tracking address to the desktop's browser. Any address but an http:// or
// https:// one is refused with AddressRefusedText; a browser that cannot be started is
// reported too. True when the browser took the address.
bool OpenInBrowser(QWidget* parent, const QString& address, const std::u16string& courierName, int courierIndex);

} // namespace parcelo
