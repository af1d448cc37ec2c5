#include "HandOverFiles.h"

#include "ziraz/genericds.h"

bool ReadHandOverDisks(const QString& path, std::vector<std::string>* disks, QString* error) {
    disks->clear();
    ziraz::GenericDS doc;
    if (!doc.loadXML(path)) {
        if (error) *error = doc.errorString();
        return false;
    }
    for (ziraz::GenericDS disk = doc.FirstChild(); !disk.isNull(); disk = disk.NextSibling())
        disks->push_back(disk.GetChildByName(QStringLiteral("DiskName")).GetValue().toStdString());
    return true;
}

bool ReadHandOverChannels(const QString& path, std::vector<std::unique_ptr<ChannelFiles>>* records, int* unknown,
                          QString* error) {
    records->clear();
    if (unknown) *unknown = 0;
    ziraz::GenericDS doc;
    if (!doc.loadXML(path)) {
        if (error) *error = doc.errorString();
        return false;
    }
    for (ziraz::GenericDS child = doc.FirstChild(); !child.isNull(); child = child.NextSibling()) {
        if (child.GetName() != QLatin1String("PlaybackFilesOfChannel")) {
            if (unknown) ++*unknown;
            continue;
        }
        std::unique_ptr<ChannelFiles> record(new ChannelFiles);
        record->FromXml(child.elemToString());
        records->push_back(std::move(record));
    }
    return true;
}
