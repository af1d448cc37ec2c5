// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppConfig.h"

#include <mutex>

#include "Constants.h"
#include "XmlElement.h"
#include "ziraz/ziraz.h"

namespace appinstaller {

AppConfig* AppConfig::instance() {
    static std::mutex lock;
    static AppConfig* config = nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (!config) config = new AppConfig(DefaultPath());
    return config;
}

QString AppConfig::DefaultPath() {
    // Read where it was installed: the uninstaller writes nothing of its own,
    // so it needs no folder of the user's (which another user's installation
    // would otherwise give it).
    return ziraz::GetInstallPath() + QLatin1String(constants::kAppConfigFile);
}

AppConfig::AppConfig(const QString& path) { load(path); }

void AppConfig::load(const QString& path) {
    XmlElement root;
    if (!root.load(path)) return;

    auto text = [&root](const char* tag) { return root.firstElementByTagName(QLatin1String(tag)).text(); };

    m_GUID = text("GUID").toStdString();
    m_Translator = text("Translator").toInt(nullptr, 10);
    m_VersionType = text("VersionType").toInt(nullptr, 10);
    const QString nameEN = text("SoftwareNameEN");
    m_SoftwareNameEN = nameEN.toStdString();
    const QByteArray nameCH = text("SoftwareNameCH").toLocal8Bit();
    m_SoftwareNameCH = std::string(nameCH.constData(), static_cast<size_t>(nameCH.size()));
    m_SettingFile = text("SettingFile").toStdString();
    if (nameEN.isEmpty()) m_SoftwareNameEN = "KEL";
    m_Version = text("Version").toStdString();
    m_CompanyName = text("CompanyName").toStdString();
    m_LegalCopyright = text("LegalCopyright").toStdString();
    m_InstallPath = (text("InstallPath") + QString::fromStdString(m_SoftwareNameEN)).toStdString();
    m_ProgramName = text("ProgramName").toStdString();

    m_Components.clear();
    const XmlElement components = root.firstElementByTagName("Components");
    const int count = components.childElementCount();
    for (int i = 0; i < count; ++i) {
        const XmlElement item = components.childElementAt(i);
        m_Components.emplace_back(item.firstElementByTagName("Name").text(),
                                  item.firstElementByTagName("FilePath").text());
    }
}

}  // namespace appinstaller
