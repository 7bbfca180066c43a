#include "status/services/KeychainSecretStore.h"

#include <qt6keychain/keychain.h>

namespace parcelo {

namespace {

const QString kService = QStringLiteral("Parcelo");
const QString kEntry = QStringLiteral("tracking-key");

// The id and the secret in one entry, separated by a line break (neither holds one).
QString Join(const QString& clientId, const QString& clientSecret) {
    return clientId + u'\n' + clientSecret;
}

} // namespace

KeychainSecretStore::KeychainSecretStore(QObject* parent) : QObject(parent) {}

void KeychainSecretStore::ReadKey(Done done) {
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setInsecureFallback(false);
    job->setKey(kEntry);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* finished) {
        StoredKey result;
        if (finished->error() == QKeychain::NoError) {
            const QString text = static_cast<QKeychain::ReadPasswordJob*>(finished)->textData();
            const qsizetype split = text.indexOf(u'\n');
            result.outcome = StoredKey::Outcome::Ok;
            result.clientId = split < 0 ? std::string() : text.left(split).toStdString();
            result.clientSecret = (split < 0 ? text : text.mid(split + 1)).toStdString();
        } else if (finished->error() == QKeychain::EntryNotFound) {
            result.outcome = StoredKey::Outcome::NotFound;
        }
        done(result);
    });
    job->start();
}

void KeychainSecretStore::WriteKey(const std::string& clientId, const std::string& clientSecret, Done done) {
    QKeychain::Job* job = nullptr;
    if (clientSecret.empty()) {
        job = new QKeychain::DeletePasswordJob(kService, this);
    } else {
        auto* write = new QKeychain::WritePasswordJob(kService, this);
        write->setTextData(
            Join(QString::fromStdString(clientId).simplified(), QString::fromStdString(clientSecret).trimmed()));
        job = write;
    }
    job->setInsecureFallback(false);
    job->setKey(kEntry);
    connect(job, &QKeychain::Job::finished, this,
            [done = std::move(done), clientId, clientSecret](QKeychain::Job* finished) {
                StoredKey result;
                result.clientId = clientId;
                result.clientSecret = clientSecret;
                const bool gone = clientSecret.empty() && finished->error() == QKeychain::EntryNotFound;
                result.outcome = finished->error() == QKeychain::NoError || gone ? StoredKey::Outcome::Ok
                                                                                 : StoredKey::Outcome::Unavailable;
                done(result);
            });
    job->start();
}

} // namespace parcelo
