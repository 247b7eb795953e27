#include "app/demo_phone.h"

#include <QFile>

#include "phonesim/simulated_phone.h"
#include "phonesim/store_file.h"
#include "platform/paths.h"

namespace mivex::app {

namespace {

QByteArray Resource(const char* name) {
    QFile file(QStringLiteral(":/demo/%1").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool LoadStore(const char* name, phonesim::MessageStore& store, std::string& error) {
    const QByteArray text = Resource(name);
    const phonesim::LoadResult loaded = phonesim::LoadStoreText(text.toStdString(), name, store);
    if (!loaded.ok)
        error = loaded.error;
    return loaded.ok;
}

}  // namespace

DemoPhone::DemoPhone() = default;

DemoPhone::~DemoPhone() {
    if (phone_)
        phone_->Stop();
}

std::filesystem::path DemoPhone::DataDirectory() const {
    return std::filesystem::path(folder_.path().toStdString()) / "data";
}

std::u16string DemoPhone::PortSetting() const {
    if (!phone_)
        return {};
    const std::string device = phone_->DevicePath() + ":";
    return {device.begin(), device.end()};
}

bool DemoPhone::Start(std::string& error) {
    if (!folder_.isValid()) {
        error = "cannot make a temporary folder for the demo";
        return false;
    }
    const std::filesystem::path contacts = DataDirectory() / "contacts";
    if (!platform::CreateOwnerOnlyDirectories(contacts)) {
        error = "cannot make the demo's contacts folder";
        return false;
    }
    QFile card(QString::fromStdString((contacts / "contacts.vcf").string()));
    if (!card.open(QIODevice::WriteOnly) || card.write(Resource("contacts.vcf")) < 0) {
        error = "cannot write the demo's contacts";
        return false;
    }
    card.close();

    phonesim::PhoneSetup setup;
    setup.settings.ownNumber = kDemoOwnNumber;
    if (!LoadStore("phone-memory.txt", setup.stores.phone, error) ||
        !LoadStore("sim-card.txt", setup.stores.sim, error))
        return false;
    phone_ = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    return phone_->Start(error);
}

}  // namespace mivex::app
