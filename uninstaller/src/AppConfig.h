// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The installation this uninstaller removes, as "AppConfig.xml" in the
// program folder describes it. Read once per process.
#include <QPair>
#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace appinstaller {

class AppConfig {
public:
    // The process-wide record, loaded from the program folder on first use.
    static AppConfig* instance();

    // Loads a record from the given file (all fields empty and 0 when the
    // file cannot be read).
    explicit AppConfig(const QString& path);

    std::string GetGUID() const { return m_GUID; }
    std::string GetProgramName() const { return m_ProgramName; }
    std::string GetSoftwareNameEN() const { return m_SoftwareNameEN; }
    std::string GetSoftwareNameCH() const { return m_SoftwareNameCH; }

    std::string GetVersion() const { return m_Version; }
    std::string GetCompanyName() const { return m_CompanyName; }
    int GetTranslator() const { return m_Translator; }
    int GetVersionType() const { return m_VersionType; }
    std::string GetLegalCopyright() const { return m_LegalCopyright; }
    std::string GetInstallPath() const { return m_InstallPath; }
    std::string GetSettingFile() const { return m_SettingFile; }
    const std::vector<std::pair<QString, QString>>& GetComponents() const { return m_Components; }

    // Path of the configuration file of this program.
    static QString DefaultPath();

private:
    void load(const QString& path);

    std::string m_GUID;
    std::string m_Version;
    std::string m_CompanyName;
    int m_Translator = 0;
    int m_VersionType = 0;
    std::string m_SoftwareNameEN;
    std::string m_SoftwareNameCH;  // local 8-bit text
    std::string m_LegalCopyright;
    std::vector<std::pair<QString, QString>> m_Components;  // (name, file path)
    std::string m_InstallPath;
    std::string m_ProgramName;
    std::string m_SettingFile;
};

}  // namespace appinstaller
