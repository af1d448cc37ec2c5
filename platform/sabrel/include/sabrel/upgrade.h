// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Upgrade library: finds out whether the update server offers a newer
// version of a program and downloads its package.
//
// The server address is a base URL (http, https or file). Below it the
// server keeps "update.xml":
//   <Update>
//     <Version>4.4.0</Version>          dotted numbers
//     <Package>KEL-4.4.0.pkg</Package>  URL of the package, relative to
//                                        update.xml or absolute
//   </Update>
// A version is newer when, compared number by number (missing numbers count
// as 0), it is greater than the installed one.
//
// The calls block until the transfer ends or times out; they may run on any
// thread that has (or can run) a Qt event loop. One object is used by one
// thread at a time.
#include <cstdint>
#include <string>

namespace upgrade {

// What the program tells the library about itself.
struct tagAppProperty {
    int32_t appType = 0;   // product number (kept for the server's use)
    int32_t language = 0;  // 0 English, 1 Chinese
    std::string appName;   // product name
    std::string version;   // installed version, dotted numbers ("4.3.0")
};

class Upgrade {
public:
    Upgrade();
    ~Upgrade();
    Upgrade(const Upgrade&) = delete;
    Upgrade& operator=(const Upgrade&) = delete;

    void setServerAddr(const std::string& address);
    std::string serverAddr() const;

    // Folder the package goes to (created when missing); by default the
    // "sabrel" folder under the system's temporary folder.
    void setDownloadFolder(const std::string& folder);
    std::string downloadFolder() const;
    // Longest wait for one transfer, in milliseconds (default 30000).
    void setTimeoutMs(int ms);

    // True when the server offers a version newer than property.version;
    // `version` then holds it (it is left unchanged otherwise). False when
    // the server cannot be reached or its answer is not understood.
    bool checkUpdate(std::string& version, const tagAppProperty& property);

    // Downloads the package that the last successful checkUpdate offered.
    // True when the whole package was written to packagePath(); a failed
    // download leaves no partial file.
    bool dowmloadPackage();
    std::string packagePath() const;

    // -1, 0 or 1 as a is older than, equal to or newer than b.
    static int compareVersions(const std::string& a, const std::string& b);

private:
    struct Private;
    Private* d;
};

}  // namespace upgrade
