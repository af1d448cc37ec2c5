// Prepares a program folder for KEL: the hull's set-up file, default
// settings, the setup benchmark the program makes "DESetup.xml" from, and the
// output folders the settings name. Files that exist are left as they are.
//
//   kel-prepare-home [--help] [--] <program folder> [<output folder>]
//
// The output folder defaults to "<program folder>/output". Options are
// refused unless known; "--" ends them (for a folder whose name starts with
// "-").
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <string>

#include "Settings.h"
#include "SetupCipher.h"

namespace {

const char kUsage[] =
    "usage: kel-prepare-home [--help] [--] <program folder> [<output folder>]\n"
    "Prepares a program folder for KEL: set-up file, default settings, setup\n"
    "benchmark and the output folders (default <program folder>/output).\n"
    "Files that exist are left as they are.\n";

bool WriteNew(const QString& path, const QByteArray& bytes) {
    if (QFileInfo::exists(path)) return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args;
    bool optionsEnd = false;
    for (const QString& a : app.arguments().mid(1)) {
        if (!optionsEnd && a == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsEnd && a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "kel-prepare-home: unknown option %s\n%s", qPrintable(a), kUsage);
            return 2;
        } else {
            args << a;
        }
    }
    if (args.isEmpty() || args.size() > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString home = QDir(args[0]).absolutePath();
    const QString output = QDir(args.size() > 1 ? args[1] : home + "/output").absolutePath();
    QDir().mkpath(home);
    bool ok = true;

    ok &= WriteNew(home + "/setup.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Setup>\n  <Language>0</Language>\n"
                   "  <VersionType>0</VersionType>\n  <SingleInstance>1</SingleInstance>\n</Setup>\n");

    const QString settingsPath = home + "/Settings.xml";
    if (!QFileInfo::exists(settingsPath)) {
        const QString folders[] = {"Capture", "Clip", "Download", "EvidenceVideo", "EvidencePicture"};
        for (const QString& f : folders) QDir().mkpath(output + "/" + f);
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
            std::printf("wrote %s\n", qPrintable(settingsPath));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(settingsPath));
            ok = false;
        }
    }

    const QString benchmarkPath = home + "/maintain/DESetup.xml.benchmark";
    if (!QFileInfo::exists(benchmarkPath)) {
        const QByteArray benchmark = SetupBenchmark();
        ok &= !benchmark.isEmpty() && WriteNew(benchmarkPath, benchmark);
    }
    return ok ? 0 : 1;
}
