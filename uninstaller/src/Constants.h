// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names shared by the installer programs. The uninstaller itself reads only
// the configuration file name; the runtime package tables belong to the
// installer and are not carried here.
namespace appinstaller {
namespace constants {

constexpr const char* kAppConfigFile = "AppConfig.xml";
constexpr const char* kSetupFile = "Setup.xml";
constexpr const char* kLicenseCh = "license_ch.htm";
constexpr const char* kLicenseEn = "license_en.html";

// Message kinds of the installer pages.
constexpr const char* kMessageKinds[] = {"brand", "neutral", "danger", "info", "remind", "success", "warning"};

}  // namespace constants
}  // namespace appinstaller
