#pragma once

#include "status/SecretStore.h"

#include <QObject>

namespace parcelo {

// The key in the desktop's secret store through QtKeychain (the Secret Service or
// KWallet), under the service "Parcelo". Nothing is ever written in plain text: without
// a secret store every call reports Unavailable.
class KeychainSecretStore : public QObject, public SecretStore {
    Q_OBJECT

public:
    explicit KeychainSecretStore(QObject* parent = nullptr);

    void ReadKey(Done done) override;
    void WriteKey(const std::string& clientId, const std::string& clientSecret, Done done) override;
};

} // namespace parcelo
