// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <string>

#include "Settings.h"
#include "SetupCipher.h"
#include "wincompat/drives.h"
#include "ziraz/ziraz.h"

namespace {

// What a program folder holds before KEL first starts in it.
const char kSetupName[] = "setup.xml";
const char kSettingsName[] = "Settings.xml";
const char kBenchmarkName[] = "maintain/DESetup.xml.benchmark";
const char* const kOutputFolders[] = {"Capture", "Clip", "Download", "EvidenceVideo", "EvidencePicture"};

// mkpath that notes every folder it had to make, outermost first.
bool MakeFolder(const QString& path, ProgramFolderReport* report) {
    QStringList missing;
    for (QString p = QDir::cleanPath(path); !QFileInfo(p).exists() && !QFileInfo(p).isSymLink();
         p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (QFileInfo(p).path() == p) break;
    }
    const bool ok = QDir().mkpath(path);
    for (const QString& p : missing)
        if (QFileInfo(p).isDir()) report->createdFolders << p;
    return ok;
}

bool WriteNew(const QString& path, const QByteArray& bytes, ProgramFolderReport* report) {
    if (QFileInfo::exists(path)) return true;
    MakeFolder(QFileInfo(path).absolutePath(), report);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        report->failed << path;
        return false;
    }
    report->written << path;
    return true;
}

QByteArray SetupBenchmark() {
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DESetup><Version>1</Version><Segments>";
    for (int i = 0; i < 4; ++i) xml += QString("<Segment%1>%2</Segment%1>").arg(i + 1).arg(NewGuidText());
    xml += "</Segments></DESetup>\n";
    ScopedCipherKeys fileKeys(SetupFileCipherKeys());
    std::string cipher;
    if (!SetupCipher::GetInstance()->EncryptString(cipher, xml.toStdString())) return QByteArray();
    return QByteArray::fromStdString(cipher);
}

}  // namespace

bool PrepareProgramFolder(const QString& homeIn, const QString& outputIn, ProgramFolderReport* reportIn) {
    ProgramFolderReport own;
    ProgramFolderReport* report = reportIn ? reportIn : &own;
    const QString home = QDir(homeIn).absolutePath();
    const QString output = QDir(outputIn.isEmpty() ? home + "/output" : outputIn).absolutePath();
    MakeFolder(home, report);
    bool ok = true;

    ok &= WriteNew(home + '/' + kSetupName,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Setup>\n  <Language>0</Language>\n"
                   "  <VersionType>0</VersionType>\n  <SingleInstance>1</SingleInstance>\n</Setup>\n",
                   report);

    const QString settingsPath = home + '/' + kSettingsName;
    if (!QFileInfo::exists(settingsPath)) {
        for (const char* f : kOutputFolders) MakeFolder(output + "/" + f, report);
        const QString values[kSettingKeyCount] = {
            "0",                               // CaptureSaveType
            output + "/Capture/",              // CaptureSavePath
            "512",                             // ClipPackageSize
            output + "/Clip/",                 // ClipSavePath
            "512",                             // DownloadPackageSize
            output + "/Download/",             // DownloadSavePath
            output + "/EvidenceVideo/",        // EvidenceVideoSavePath
            output + "/EvidencePicture/",      // EvidencePictureSavePath
            "0",                               // DecodeFrameType
            "",                                // SecretKey
            "0",                               // EnableSpeedAlarm
            "0",                               // SpeedUnitType
            "120",                             // SpeedValue
            "",                                // VoicePath (the program's alarm_input.wav)
            "",                                // MapKey
            "16",                              // ChannelNum
            "0",                               // MapType
            "1",                               // DownloadVideoType
        };
        CSettingsStore store;
        for (int key = 0; key < kSettingKeyCount; ++key) store.SetValueText(key, values[key]);
        if (store.Save(settingsPath)) {
            report->written << settingsPath;
        } else {
            report->failed << settingsPath;
            ok = false;
        }
    }

    const QString benchmarkPath = home + '/' + kBenchmarkName;
    if (!QFileInfo::exists(benchmarkPath)) {
        const QByteArray benchmark = SetupBenchmark();
        ok &= !benchmark.isEmpty() && WriteNew(benchmarkPath, benchmark, report);
    }
    return ok;
}

QStringList ProgramFolderFiles() { return {kSetupName, kSettingsName, kBenchmarkName}; }

QStringList ProgramFolderFolders() {
    QStringList folders{QStringLiteral("maintain"), QStringLiteral("output")};
    for (const char* f : kOutputFolders) folders << QStringLiteral("output/") + f;
    return folders;
}

namespace {

bool Writable(const QString& folder) {
    return QFileInfo(folder).isDir() && access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// The folder a save path names (a drive path such as "D:/Video" through the
// drive table), or the nearest folder above it that exists (saving makes the
// rest).
QString NearestFolder(const QString& path) {
    QString p = QDir::cleanPath(QString::fromLocal8Bit(wincompat::MapPath(path.toLocal8Bit().toStdString()).c_str()));
    while (!p.isEmpty() && !QFileInfo(p).exists()) {
        const QString up = QFileInfo(p).path();
        if (up == p) break;
        p = up;
    }
    return p;
}

}  // namespace

QString ProgramFolderProblem() {
    QString folder = ziraz::GetTargetPath();
    while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
    const bool named = !qgetenv("KEL_HOME").isEmpty();
    QStringList text;
    if (!QFileInfo(folder).isDir()) {
        text << (named ? QCoreApplication::translate("ProgramFolder", "The program folder %1 named by KEL_HOME does not exist.")
                       : QCoreApplication::translate("ProgramFolder", "The program folder %1 could not be made."))
                    .arg(folder);
    } else if (!Writable(folder)) {
        text << QCoreApplication::translate("ProgramFolder", "The program folder %1 cannot be written to.").arg(folder);
    } else {
        return QString();
    }
    if (QDir(folder + "/translations").entryList({QStringLiteral("*.qm")}, QDir::Files).isEmpty())
        text << QCoreApplication::translate("ProgramFolder", "It holds no translations: the texts are shown untranslated.");
    text << QCoreApplication::translate("ProgramFolder", "Settings cannot be kept.");
    QString save;
    if (CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &save) && !save.isEmpty() &&
        Writable(NearestFolder(save)))
        text << QCoreApplication::translate("ProgramFolder", "Downloads, clips and snapshots are saved to the folders the settings name (downloads: %1).")
                    .arg(QDir::toNativeSeparators(save));
    else
        text << QCoreApplication::translate("ProgramFolder", "Nothing can be saved: no folder to save to is set that can be written.");
    if (named) text << QCoreApplication::translate("ProgramFolder", "Correct KEL_HOME, or prepare the folder with scripts/prepare-home.sh.");
    return text.join(QLatin1Char(' '));
}

void PrepareUserProgramFolder() {
    if (!ziraz::IsPerUserTargetPath()) return;
    ProgramFolderReport report;
    if (!PrepareProgramFolder(ziraz::GetTargetPath(), QString(), &report))
        qWarning().noquote() << "PrepareUserProgramFolder cannot write" << report.failed.join(", ");
}
